#pragma once

#include <QCollator>
#include <QLocale>
#include <QStringList>

namespace arvelo {

// The order of every list of the program: locale-aware and blind to letter case, with ties
// broken by plain code-unit order so that two different texts never compare equal.
class ListOrder
{
public:
    explicit ListOrder(const QLocale &locale = QLocale());

    bool lessThan(const QString &a, const QString &b) const;
    // Sorts many items at once, computing each item's collation key a single time.
    void sort(QStringList &items) const;
    // `inOrder` (already in this order) and `others` (in any order) as one list in this order;
    // only `others` is sorted, and each of them finds its place by halving.
    QStringList merged(const QStringList &inOrder, QStringList others) const;

private:
    QCollator m_collator;
    bool m_plainLocale = false;
};

} // namespace arvelo
