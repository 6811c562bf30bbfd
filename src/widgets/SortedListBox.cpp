#include "widgets/SortedListBox.h"

#include "core/NameCodec.h"
#include "widgets/WindowThread.h"

#include <QItemSelectionModel>
#include <QKeyEvent>

#include <algorithm>

namespace arvelo {

SortedListModel::SortedListModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

int SortedListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant SortedListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    // On screen a byte that is not text shows as U+FFFD; the item itself keeps it.
    if (role == Qt::DisplayRole)
        return displayName(m_items.at(index.row()));
    if (role == Qt::EditRole)
        return m_items.at(index.row());
    return {};
}

void SortedListModel::removeAt(int row)
{
    requireWindowThread(this);
    if (row < 0 || row >= m_items.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.removeAt(row);
    endRemoveRows();
}

void SortedListModel::clear()
{
    requireWindowThread(this);
    beginResetModel();
    m_items.clear();
    endResetModel();
}

void SortedListModel::setItemsInOrder(QStringList items)
{
    requireWindowThread(this);
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

SortedListBox::SortedListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new SortedListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this](const QItemSelection &selected) {
            if (!selected.isEmpty())
                emit Click();
        });
}

int SortedListBox::ListCount() const
{
    return m_model->rowCount();
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
    const QModelIndex index = m_model->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QString SortedListBox::List(int row) const
{
    return m_model->items().value(row);
}

const QStringList &SortedListBox::items() const
{
    return m_model->items();
}

void SortedListBox::RemoveItem(int row)
{
    // The view would otherwise select the next row itself; a removal selects nothing.
    if (row == ListIndex())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    m_model->removeAt(row);
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

void SortedListBox::Clear()
{
    m_model->clear();
}

void SortedListBox::setItemsInOrder(QStringList items)
{
    m_model->setItemsInOrder(std::move(items));
}

} // namespace arvelo
