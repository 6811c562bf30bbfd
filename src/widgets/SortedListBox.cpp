#include "widgets/SortedListBox.h"

#include "core/NameCodec.h"
#include "widgets/WindowThread.h"

#include <QItemSelectionModel>
#include <QKeyEvent>

#include <algorithm>

namespace arvelo {

namespace {

// Read-only; on screen a byte that is not text shows as U+FFFD, the item itself keeps it.
class ShownNames : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const QVariant item = QStringListModel::data(index, role);
        return role == Qt::DisplayRole && item.isValid() ? displayName(item.toString()) : item;
    }
    // A plain list: nothing to edit (so no edit trigger of the view applies), drag or drop.
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return QAbstractListModel::flags(index);
    }
};

} // namespace

SortedListBox::SortedListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new ShownNames(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this](const QItemSelection &selected) {
            if (!selected.isEmpty())
                emit Click();
        });
}

int SortedListBox::ListIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void SortedListBox::setListIndex(int row)
{
    if (row < 0 || row >= ListCount()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

void SortedListBox::RemoveItem(int row)
{
    requireWindowThread(this);
    // The view would otherwise select the next row itself; a removal selects nothing.
    if (row == ListIndex())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    m_model->removeRows(row, 1);
}

void SortedListBox::keyPressEvent(QKeyEvent *event)
{
    // With nothing selected, the first arrow key selects from the top, as a list box does,
    // instead of silently moving an unselected focus mark.
    static constexpr int Navigation[]
        = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    if (ListIndex() < 0 && std::ranges::find(Navigation, event->key()) != std::end(Navigation))
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QListView::keyPressEvent(event);
}

void SortedListBox::setItemsInOrder(QStringList items)
{
    requireWindowThread(this);
    m_model->setStringList(items);
}

} // namespace arvelo
