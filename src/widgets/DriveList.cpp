#include "widgets/DriveList.h"

#include "core/Drives.h"

#include <QDir>

namespace arvelo {

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::Change);
}

void DriveList::setVolumeSource(std::shared_ptr<const VolumeSource> source)
{
    m_source = std::move(source);
    refresh();
}

QString DriveList::Drive() const
{
    return currentText();
}

void DriveList::setDrive(const QString &path)
{
    refresh();
    QStringList drives;
    for (int i = 0; i < count(); ++i)
        drives.append(itemText(i));
    const int index = findText(driveOf(path, drives));
    // A path on no known drive leaves the choice alone rather than showing no drive at all.
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveList::refresh()
{
    const QString current = currentText();
    QStringList roots;
    for (const QString &root : m_source->roots())
        roots.append(QDir::cleanPath(root));
    // The drive in use stays listed even when it went away, so the list keeps naming the
    // drive of the folder shown; choosing it again reports it as not available.
    if (!current.isEmpty())
        roots.append(current);
    roots.removeDuplicates();
    roots.sort();

    const QSignalBlocker quiet(this);
    clear();
    addItems(roots);
    setCurrentIndex(findText(current));
}

void DriveList::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

} // namespace arvelo
