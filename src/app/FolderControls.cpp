#include "app/FolderControls.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

namespace arvelo {

QStringList SystemVolumes::roots() const
{
    QStringList result;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (volume.isValid())
            result.append(volume.rootPath());
    }
    result.removeDuplicates();
    result.sort();
    return result;
}

QString driveOf(const QString &path, const QStringList &roots)
{
    const QString clean = QDir::cleanPath(path);
    QString best;
    for (const QString &root : roots) {
        const QString r = QDir::cleanPath(root);
        const bool under = clean == r || r == QLatin1String("/")
            || clean.startsWith(r + QLatin1Char('/'));
        if (under && r.size() > best.size())
            best = r;
    }
    return best;
}

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
    , m_source(std::make_shared<SystemVolumes>())
{
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit Change(); });
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
    const QString drive = driveOf(path, m_source->roots());
    int index = findText(drive);
    if (index < 0) {
        refresh();
        index = findText(drive);
    }
    setCurrentIndex(index);
}

void DriveList::refresh()
{
    const QSignalBlocker quiet(this);
    const QString current = currentText();
    clear();
    addItems(m_source->roots());
    setCurrentIndex(findText(current));
}

FolderList::FolderList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { openRow(row(item)); });
}

void FolderList::setPath(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList chain;
    for (QDir dir(absolute);; ) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    clear();
    for (const QString &folder : std::as_const(chain)) {
        auto *item = new QListWidgetItem(folder == QLatin1String("/") ? folder
                                                                     : QFileInfo(folder).fileName());
        item->setData(Qt::UserRole, folder);
        addItem(item);
    }
    QStringList children = QDir(absolute).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ListOrder().sort(children);
    for (const QString &child : std::as_const(children)) {
        auto *item = new QListWidgetItem(child);
        item->setData(Qt::UserRole, QDir(absolute).filePath(child));
        addItem(item);
    }
    setCurrentRow(int(chain.size()) - 1);
    const bool changed = absolute != m_path;
    m_path = absolute;
    if (changed)
        emit Change();
}

void FolderList::openRow(int row)
{
    if (QListWidgetItem *entry = item(row))
        setPath(entry->data(Qt::UserRole).toString());
}

FileList::FileList(QWidget *parent)
    : SortedListBox(parent)
{
}

void FileList::setPath(const QString &path)
{
    m_path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    setItems(visibleFileNames(m_path));
}

QStringList visibleFileNames(const QString &folder)
{
    QStringList names;
    // Without QDir::Hidden, names beginning with "." are left out.
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

} // namespace arvelo
