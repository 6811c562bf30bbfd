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

    int compare(const QString &a, const QString &b) const;
    bool lessThan(const QString &a, const QString &b) const { return compare(a, b) < 0; }
    // Sorts many items at once, computing each item's collation key a single time.
    void sort(QStringList &items) const;

private:
    QCollator m_collator;
    bool m_plainLocale = false;
};

} // namespace arvelo
