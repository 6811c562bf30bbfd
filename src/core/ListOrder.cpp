#include "core/ListOrder.h"

#include <QCollatorSortKey>

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

} // namespace arvelo
