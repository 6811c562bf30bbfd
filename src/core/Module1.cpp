#include "core/Module1.h"

#include "core/ArtistName.h"

namespace Module1 {

QString BeautifyName(const QString &text)
{
    QString result;
    result.reserve(text.size());
    const QStringView all(text);
    qsizetype begin = 0;
    while (begin < all.size()) {
        qsizetype end = all.indexOf(arvelo::Blank, begin);
        if (end < 0)
            end = all.size();
        if (end > begin) {
            const QStringView word = all.sliced(begin, end - begin);
            // A surrogate pair is one character: it is upper-cased as a whole.
            const qsizetype head
                = word.size() > 1 && word.at(0).isHighSurrogate() && word.at(1).isLowSurrogate()
                ? 2
                : 1;
            if (!result.isEmpty())
                result += arvelo::Blank;
            result += arvelo::upperEach(word.first(head).toString());
            result += arvelo::lowerEach(word.sliced(head).toString());
        }
        begin = end + 1;
    }
    return result;
}

} // namespace Module1
