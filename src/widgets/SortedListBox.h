#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

namespace arvelo {

class SortedListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit SortedListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const QStringList &items() const { return m_items; }
    void removeAt(int row);
    void clear();
    // Items that the core has already put in list order.
    void setItemsInOrder(QStringList items);

private:
    QStringList m_items;
};

// A list box that keeps its items sorted; the names follow the program's list vocabulary.
class SortedListBox : public QListView
{
    Q_OBJECT
public:
    explicit SortedListBox(QWidget *parent = nullptr);

    int ListCount() const;
    // The selected row, or -1 when nothing is selected.
    int ListIndex() const;
    void setListIndex(int row);
    QString List(int row) const;
    const QStringList &items() const;

    void RemoveItem(int row);
    void Clear();
    // Replaces every item with items already in list order (see core/Lists.h), unsorted again.
    void setItemsInOrder(QStringList items);

protected:
    void keyPressEvent(QKeyEvent *event) override;

signals:
    // A row became selected, by mouse, keyboard or program.
    void Click();

private:
    SortedListModel *m_model = nullptr;
};

} // namespace arvelo
