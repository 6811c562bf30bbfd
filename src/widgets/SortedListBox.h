#pragma once

#include <QListView>
#include <QStringListModel>

namespace arvelo {

// A list box that keeps its items sorted; the names follow the program's list vocabulary.
class SortedListBox : public QListView
{
    Q_OBJECT
public:
    explicit SortedListBox(QWidget *parent = nullptr);

    int ListCount() const { return m_model->rowCount(); }
    // The selected row, or -1 when nothing is selected.
    int ListIndex() const;
    void setListIndex(int row);
    QString List(int row) const { return items().value(row); }
    QStringList items() const { return m_model->stringList(); }

    void RemoveItem(int row);
    void Clear() { setItemsInOrder({}); }
    // Replaces every item with items already in list order (see core/ListOrder.h), unsorted again.
    void setItemsInOrder(QStringList items);

protected:
    void keyPressEvent(QKeyEvent *event) override;

signals:
    // A row became selected, by mouse, keyboard or program.
    void Click();

private:
    QStringListModel *m_model = nullptr;
};

} // namespace arvelo
