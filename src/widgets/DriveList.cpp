#include "widgets/DriveList.h"
#include "widgets/VolumeSource.h"

#include "core/Drives.h"
#include "core/NameCodec.h"

#include <QDir>

namespace arvelo {

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::Change);
}

QString DriveList::Drive() const
{
    // The root itself; the text shown may have lost bytes that are not UTF-8.
    return currentData().toString();
}

void DriveList::setDrive(const QString &path)
{
    const int index = findData(driveOf(path, refresh()));
    // A path on no known drive leaves the choice alone rather than showing no drive at all.
    if (index >= 0)
        setCurrentIndex(index);
}

QStringList DriveList::refresh()
{
    const QString current = Drive();
    QStringList roots;
    for (const QString &root : VolumeSource::standard()->roots())
        roots.append(QDir::cleanPath(root));
    // The drive in use stays listed even when it went away, so the list keeps naming the
    // drive of the folder shown; choosing it again reports it as not available.
    if (!current.isEmpty())
        roots.append(current);
    roots.removeDuplicates();
    roots.sort();

    const QSignalBlocker quiet(this);
    clear();
    for (const QString &root : std::as_const(roots))
        addItem(displayName(root), root);
    setCurrentIndex(findData(current));
    return roots;
}

void DriveList::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

} // namespace arvelo
