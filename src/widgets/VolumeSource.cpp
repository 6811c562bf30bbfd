#include "widgets/VolumeSource.h"

#include "core/FolderListing.h"
#include "core/NameCodec.h"

#include <QFile>
#include <QHash>
#include <QStorageInfo>

#include <mntent.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// The volumes mounted on this system.
class SystemVolumes final : public VolumeSource
{
public:
    QStringList roots() const override
    {
        // Qt chooses the volumes, but its root paths lose bytes that are not UTF-8; the mount
        // table gives them back.
        QHash<QString, QString> exact;
        if (FILE *table = ::setmntent("/proc/self/mounts", "r")) {
            while (const mntent *mount = ::getmntent(table))
                exact.insert(QFile::decodeName(mount->mnt_dir), decodeName(mount->mnt_dir));
            ::endmntent(table);
        }
        QStringList result;
        const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
        for (const QStorageInfo &volume : volumes) {
            if (volume.isValid())
                result.append(exact.value(volume.rootPath(), volume.rootPath()));
        }
        return result;
    }
};

// Made on first use; a test may put another one in its place.
std::shared_ptr<const VolumeSource> standardSource;

} // namespace

QString driveNotAvailableMessage()
{
    return u"The selected drive is not availible"_s;
}

bool VolumeSource::isAvailable(const QString &root) const
{
    return isReadableFolder(root);
}

std::shared_ptr<const VolumeSource> VolumeSource::standard()
{
    if (!standardSource)
        standardSource = std::make_shared<SystemVolumes>();
    return standardSource;
}

void VolumeSource::setStandard(std::shared_ptr<const VolumeSource> source)
{
    standardSource = std::move(source);
}

} // namespace arvelo
