#include "widgets/FolderList.h"
#include "widgets/VolumeSource.h"

#include "core/Drives.h"
#include "core/FolderListing.h"
#include "core/ListOrder.h"
#include "core/NameCodec.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowThread.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <utility>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

constexpr int FolderRole = Qt::UserRole;
constexpr int DepthRole = Qt::UserRole + 1;
constexpr int IndentPixels = 12;

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

FolderList::FolderList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    // Double-click opens, whatever the desktop's single-click setting says.
    connect(this, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { openRow(row(item)); });
}

bool FolderList::setPath(const QString &path)
{
    const QString absolute = absoluteClean(path);
    const QStringList roots = VolumeSource::standard()->roots();
    const QString drive = driveOf(absolute, roots);
    if (!VolumeSource::standard()->isAvailable(drive))
        return false;
    // A bare drive asks for some folder of that drive: the one already shown, if it is there.
    const bool sameDrive = absolute == drive && driveOf(m_path, roots) == drive;
    showFolder(sameDrive ? m_path : absolute, drive);
    return true;
}

void FolderList::reread()
{
    const QString current = folderAt(currentRow());
    const int scrolled = verticalScrollBar()->value();
    if (!setPath(m_path))
        return;
    const QModelIndexList found
        = model()->match(model()->index(0, 0), FolderRole, current, 1, Qt::MatchExactly);
    if (!found.isEmpty())
        setCurrentRow(found.first().row());
    verticalScrollBar()->setValue(scrolled);
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
    const QString drive = driveOf(folder, VolumeSource::standard()->roots());
    // The drive may have gone since the list was drawn; say so instead of failing.
    if (!VolumeSource::standard()->isAvailable(drive)) {
        showMessage(driveNotAvailableMessage());
        return;
    }
    const bool reopened = folder == m_path;
    showFolder(folder, drive);
    // Opening the folder shown reads it again, as choosing it anew: it may have changed.
    if (reopened && m_path == folder)
        emit Change();
}

void FolderList::showFolder(const QString &wanted, const QString &drive)
{
    // A folder removed or closed meanwhile gives way to its nearest parent that can be read;
    // the drive's root itself is known to be readable.
    QString folder = wanted;
    std::optional<QStringList> children;
    while (!(children = subFolderNames(folder)) && folder != drive) {
        const QString parent = parentFolder(folder);
        folder = parent == folder ? drive : parent;
    }
    QStringList names = children.value_or(QStringList());
    ListOrder().sort(names);

    // Worked out on the text alone, so names that are not UTF-8 keep their bytes.
    QStringList chain;
    for (QString step = folder; step != drive && step.size() > drive.size();
         step = parentFolder(step))
        chain.prepend(step);
    chain.prepend(drive);

    requireWindowThread(this);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    // Items are made on their own and then added: one made with the list as its parent costs
    // time in proportion to the rows already there, which grows to minutes for large folders.
    const auto add
        = [this](const QIcon &icon, const QString &text, const QString &path, int depth) {
              auto *entry = new QListWidgetItem(icon, text);
              entry->setData(FolderRole, path);
              entry->setData(DepthRole, depth);
              addItem(entry);
          };
    for (int depth = 0; depth < chain.size(); ++depth)
        add(open, displayName(depth == 0 ? drive : lastName(chain[depth])), chain[depth], depth);
    for (const QString &child : std::as_const(names))
        add(closed, displayName(child),
            folder.endsWith(u'/') ? folder + child : folder + u'/' + child, int(chain.size()));
    setCurrentRow(int(chain.size()) - 1);

    if (std::exchange(m_path, folder) != folder)
        emit Change();
}

} // namespace arvelo
