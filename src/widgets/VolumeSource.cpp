#include "widgets/VolumeSource.h"

#include <QFileInfo>
#include <QStorageInfo>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

std::shared_ptr<const VolumeSource> &standardSource()
{
    static std::shared_ptr<const VolumeSource> source;
    return source;
}

} // namespace

QString driveNotAvailableMessage()
{
    return u"The selected drive is not availible"_s;
}

bool VolumeSource::isAvailable(const QString &root) const
{
    const QFileInfo info(root);
    return !root.isEmpty() && info.isDir() && info.isReadable();
}

std::shared_ptr<const VolumeSource> VolumeSource::standard()
{
    std::shared_ptr<const VolumeSource> &source = standardSource();
    if (!source)
        source = std::make_shared<SystemVolumes>();
    return source;
}

void VolumeSource::setStandard(std::shared_ptr<const VolumeSource> source)
{
    standardSource() = std::move(source);
}

QStringList SystemVolumes::roots() const
{
    QStringList result;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (volume.isValid())
            result.append(volume.rootPath());
    }
    return result;
}

} // namespace arvelo
