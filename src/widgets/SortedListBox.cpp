#include "widgets/SortedListBox.h"

#include "core/NameCodec.h"

#include <QCollatorSortKey>
#include <QItemSelectionModel>
#include <QKeyEvent>

#include <algorithm>
#include <numeric>
#include <vector>

namespace arvelo {

ListOrder::ListOrder(const QLocale &locale)
    : m_collator(locale)
    // The C locale's collation is plain code-unit order, which would not ignore letter case.
    , m_plainLocale(locale.language() == QLocale::C)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int ListOrder::compare(const QString &a, const QString &b) const
{
    int result
        = m_plainLocale ? QString::compare(a, b, Qt::CaseInsensitive) : m_collator.compare(a, b);
    if (result == 0)
        result = QString::compare(a, b, Qt::CaseSensitive);
    return result;
}

void ListOrder::sort(QStringList &items) const
{
    std::vector<qsizetype> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    const auto byKeyThenCodeUnits = [&items](const auto &keys) {
        return [&items, &keys](qsizetype a, qsizetype b) {
            const int byKey = keys[a].compare(keys[b]);
            if (byKey != 0)
                return byKey < 0;
            return QString::compare(items.at(a), items.at(b), Qt::CaseSensitive) < 0;
        };
    };
    // Each item's key is worked out once, not once per comparison.
    if (m_plainLocale) {
        std::vector<QString> folded;
        folded.reserve(items.size());
        for (const QString &item : std::as_const(items))
            folded.push_back(item.toCaseFolded());
        std::sort(order.begin(), order.end(), byKeyThenCodeUnits(folded));
    } else {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(items.size());
        for (const QString &item : std::as_const(items))
            keys.push_back(m_collator.sortKey(item));
        std::sort(order.begin(), order.end(), byKeyThenCodeUnits(keys));
    }
    QStringList sorted;
    sorted.reserve(items.size());
    for (qsizetype index : order)
        sorted.append(items.at(index));
    items = std::move(sorted);
}

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

int SortedListModel::add(const QString &item)
{
    const auto place = std::upper_bound(m_items.cbegin(), m_items.cend(), item,
        [this](const QString &a, const QString &b) { return m_order.lessThan(a, b); });
    const int row = int(place - m_items.cbegin());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(row, item);
    endInsertRows();
    return row;
}

void SortedListModel::removeAt(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.removeAt(row);
    endRemoveRows();
}

void SortedListModel::clear()
{
    beginResetModel();
    m_items.clear();
    endResetModel();
}

void SortedListModel::setItems(QStringList items)
{
    m_order.sort(items);
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

void SortedListBox::AddItem(const QString &item)
{
    m_model->add(item);
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

void SortedListBox::setItems(QStringList items)
{
    m_model->setItems(std::move(items));
}

} // namespace arvelo
