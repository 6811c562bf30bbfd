#include "core/ListOrder.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <vector>

namespace arvelo {

namespace {

// Compares as QString::compare(a, b, Qt::CaseInsensitive) does, with letters a to z folded in
// line: names are mostly plain ASCII, and this halves the time of sorting a large folder.
int compareFolded(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x == y)
            continue;
        if (x < 0x80 && y < 0x80) {
            x = x >= u'A' && x <= u'Z' ? char16_t(x + (u'a' - u'A')) : x;
            y = y >= u'A' && y <= u'Z' ? char16_t(y + (u'a' - u'A')) : y;
            if (x != y)
                return x < y ? -1 : 1;
            continue;
        }
        // Qt's own folding from here on, from the start of a surrogate pair.
        if (i > 0 && a.at(i - 1).isHighSurrogate())
            --i;
        return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive);
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace

ListOrder::ListOrder(const QLocale &locale)
    : m_collator(locale)
    // The C locale's collation is plain code-unit order, which would not ignore letter case.
    , m_plainLocale(locale.language() == QLocale::C)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool ListOrder::lessThan(const QString &a, const QString &b) const
{
    int result = m_plainLocale ? compareFolded(a, b) : m_collator.compare(a, b);
    if (result == 0)
        result = QString::compare(a, b, Qt::CaseSensitive);
    return result < 0;
}

void ListOrder::sort(QStringList &items) const
{
    // Plain locale: compared in place, which costs less than making a folded copy of each.
    if (m_plainLocale) {
        std::sort(items.begin(), items.end(),
            [this](const QString &a, const QString &b) { return lessThan(a, b); });
        return;
    }
    // Otherwise each item's collation key is worked out once, not once per comparison.
    std::vector<qsizetype> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(items.size());
    for (const QString &item : std::as_const(items))
        keys.push_back(m_collator.sortKey(item));
    std::sort(order.begin(), order.end(), [&items, &keys](qsizetype a, qsizetype b) {
        const int byKey = keys[a].compare(keys[b]);
        if (byKey != 0)
            return byKey < 0;
        return QString::compare(items.at(a), items.at(b), Qt::CaseSensitive) < 0;
    });
    QStringList sorted;
    sorted.reserve(items.size());
    for (qsizetype index : order)
        sorted.append(items.at(index));
    items = std::move(sorted);
}

QStringList ListOrder::merged(const QStringList &inOrder, QStringList others) const
{
    sort(others);
    QStringList result;
    result.reserve(inOrder.size() + others.size());
    auto from = inOrder.cbegin();
    for (const QString &other : std::as_const(others)) {
        const auto place = std::upper_bound(from, inOrder.cend(), other,
            [this](const QString &a, const QString &b) { return lessThan(a, b); });
        std::copy(from, place, std::back_inserter(result));
        from = place;
        result.append(other);
    }
    std::copy(from, inOrder.cend(), std::back_inserter(result));
    return result;
}

} // namespace arvelo
