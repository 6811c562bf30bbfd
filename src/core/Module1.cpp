#include "core/Module1.h"

#include "core/ArtistName.h"

#include <QList>

#include <optional>

namespace Module1 {

namespace {

// The same for a name of plain ASCII, most names, in one pass and one allocation: the move
// beautifies the artist part of every file. Nothing when the name is not plain ASCII.
std::optional<QString> beautifiedAscii(const QString &text)
{
    QString result(text.size(), Qt::Uninitialized);
    QChar *out = result.data();
    bool wordStart = true;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80)
            return std::nullopt;
        if (c == arvelo::Blank) {
            wordStart = true;
            continue;
        }
        if (wordStart && out != result.constData())
            *out++ = arvelo::Blank;
        if (wordStart && unit >= u'a' && unit <= u'z')
            *out++ = QChar(char16_t(unit - u'a' + u'A'));
        else if (!wordStart && unit >= u'A' && unit <= u'Z')
            *out++ = QChar(char16_t(unit - u'A' + u'a'));
        else
            *out++ = c;
        wordStart = false;
    }
    result.truncate(out - result.constData());
    return result;
}

} // namespace

QString BeautifyName(const QString &text)
{
    if (std::optional<QString> ascii = beautifiedAscii(text))
        return *std::move(ascii);
    QString result;
    result.reserve(text.size());
    for (const QStringView word : QStringView(text).split(arvelo::Blank, Qt::SkipEmptyParts)) {
        // A surrogate pair is one character: it is upper-cased as a whole.
        qsizetype head = 1;
        if (word.size() > 1 && word.at(0).isHighSurrogate() && word.at(1).isLowSurrogate())
            head = 2;
        if (!result.isEmpty())
            result += arvelo::Blank;
        result += arvelo::upperEach(word.first(head).toString());
        result += arvelo::lowerEach(word.sliced(head).toString());
    }
    return result;
}

} // namespace Module1
