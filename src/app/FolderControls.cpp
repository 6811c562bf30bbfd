#include "app/FolderControls.h"

#include "app/WindowServices.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyledItemDelegate>

namespace arvelo {

namespace {

constexpr int FolderRole = Qt::UserRole;
constexpr int DepthRole = Qt::UserRole + 1;
constexpr int IndentPixels = 12;

std::shared_ptr<const VolumeSource> &standardSource()
{
    static std::shared_ptr<const VolumeSource> source;
    return source;
}

QString absoluteClean(const QString &path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Shifts each entry right by its depth, so the chain reads as a path going down.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex &index)
    {
        return index.data(DepthRole).toInt() * IndentPixels;
    }
};

} // namespace

QString driveNotAvailableMessage()
{
    return QStringLiteral("The selected drive is not availible");
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

DriveNotAvailable::DriveNotAvailable(const QString &drive)
    : std::runtime_error(QStringLiteral("The drive %1 is not available").arg(drive).toStdString())
{ }

QString driveOf(const QString &path, const QStringList &roots)
{
    const QString clean = absoluteClean(path);
    QString best;
    for (const QString &root : roots) {
        const QString r = QDir::cleanPath(root);
        // "/" (or "C:/") already ends in a separator; other roots need one so that
        // "/media/stick" does not claim "/media/sticky".
        const QString prefix = r.endsWith(QLatin1Char('/')) ? r : r + QLatin1Char('/');
        const bool under = clean == r || clean.startsWith(prefix);
        if (under && r.size() > best.size())
            best = r;
    }
    return best;
}

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

FolderList::FolderList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    // Double-click opens, whatever the desktop's single-click setting says.
    connect(this, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { openRow(row(item)); });
}

void FolderList::setVolumeSource(std::shared_ptr<const VolumeSource> source)
{
    m_source = std::move(source);
}

void FolderList::setPath(const QString &path)
{
    const QString absolute = absoluteClean(path);
    const QStringList roots = m_source->roots();
    const QString drive = driveOf(absolute, roots);
    if (!m_source->isAvailable(drive))
        throw DriveNotAvailable(drive.isEmpty() ? path : drive);
    // A bare drive asks for some folder of that drive: the one already shown, if it is there.
    const bool sameDrive = absolute == drive && driveOf(m_path, roots) == drive;
    showFolder(sameDrive ? m_path : absolute, drive);
}

QString FolderList::folderAt(int row) const
{
    const QListWidgetItem *entry = item(row);
    return entry ? entry->data(FolderRole).toString() : QString();
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        openRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderList::openRow(int row)
{
    const QString folder = folderAt(row);
    if (folder.isEmpty())
        return;
    const QString drive = driveOf(folder, m_source->roots());
    // The drive may have gone since the list was drawn; say so instead of failing.
    if (!m_source->isAvailable(drive)) {
        showMessage(driveNotAvailableMessage());
        return;
    }
    showFolder(folder, drive);
}

void FolderList::showFolder(const QString &wanted, const QString &drive)
{
    // A folder removed or closed meanwhile gives way to its nearest parent that can be read;
    // the drive's root itself is known to be readable.
    QString folder = wanted;
    while (folder != drive && !(QFileInfo(folder).isDir() && QFileInfo(folder).isReadable())) {
        const QString parent = QFileInfo(folder).absolutePath();
        folder = parent == folder ? drive : parent;
    }

    QStringList chain {drive};
    const QString below = QDir(drive).relativeFilePath(folder);
    if (!below.isEmpty() && below != QLatin1String(".")) {
        for (const QString &name : below.split(QLatin1Char('/')))
            chain.append(QDir(chain.last()).filePath(name));
    }
    QStringList children = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ListOrder().sort(children);

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int depth = 0;
    for (const QString &step : std::as_const(chain)) {
        auto *entry
            = new QListWidgetItem(open, depth == 0 ? step : QFileInfo(step).fileName(), this);
        entry->setData(FolderRole, step);
        entry->setData(DepthRole, depth++);
    }
    for (const QString &child : std::as_const(children)) {
        auto *entry = new QListWidgetItem(closed, child, this);
        entry->setData(FolderRole, QDir(folder).filePath(child));
        entry->setData(DepthRole, depth);
    }
    setCurrentRow(int(chain.size()) - 1);

    const bool changed = folder != m_path;
    m_path = folder;
    if (changed)
        emit Change();
}

FileList::FileList(QWidget *parent)
    : SortedListBox(parent)
{ }

void FileList::setPath(const QString &path)
{
    m_path = absoluteClean(path);
    setItems(m_path.isEmpty() ? QStringList() : visibleFileNames(m_path));
}

QStringList visibleFileNames(const QString &folder)
{
    QStringList names;
    // Without QDir::Hidden, names beginning with "." are left out; without QDir::System,
    // so are links that lead nowhere, sockets and devices.
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

} // namespace arvelo
