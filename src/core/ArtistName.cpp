#include "core/ArtistName.h"

namespace arvelo {

namespace {

template<typename Map>
QString mapEach(const QString &text, Map map)
{
    QString result = text;
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    const qsizetype size = result.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = out[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(out[i + 1])) {
            const char32_t mapped = map(QChar::surrogateToUcs4(unit, out[i + 1]));
            if (QChar::requiresSurrogates(mapped)) {
                out[i] = QChar::highSurrogate(mapped);
                out[i + 1] = QChar::lowSurrogate(mapped);
            }
            ++i;
        } else {
            const char32_t mapped = map(char32_t(unit));
            if (!QChar::requiresSurrogates(mapped))
                out[i] = char16_t(mapped);
        }
    }
    return result;
}

} // namespace

QString withoutTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == Blank)
        --end;
    return text.left(end);
}

QString upperEach(const QString &text)
{
    return mapEach(text, [](char32_t c) { return QChar::toUpper(c); });
}

QString lowerEach(const QString &text)
{
    return mapEach(text, [](char32_t c) { return QChar::toLower(c); });
}

QString artistPart(const QString &name)
{
    const qsizetype cut = name.indexOf(Separator);
    return cut < 0 ? name : name.left(cut);
}

std::optional<QString> titlePart(const QString &name)
{
    const qsizetype first = name.indexOf(Separator);
    if (first < 0)
        return std::nullopt;
    qsizetype begin = first + 1;
    const qsizetype second = name.indexOf(Separator, begin);
    const qsizetype end = second < 0 ? name.size() : second;
    while (begin < end && name.at(begin) == Blank)
        ++begin;
    return name.mid(begin, end - begin);
}

QString artistKey(const QString &name, KeyOptions options)
{
    // One pass over the artist part into one string of at most its length: the trailing blanks
    // go first, then each character is upper-cased or dropped as the options say.
    const QStringView all(name);
    qsizetype end = all.indexOf(Separator);
    if (end < 0)
        end = all.size();
    while (end > 0 && all.at(end - 1) == Blank)
        --end;
    QString key(end, Qt::Uninitialized);
    const char16_t *in = all.utf16();
    char16_t *const begin = reinterpret_cast<char16_t *>(key.data());
    char16_t *out = begin;
    for (qsizetype i = 0; i < end; ++i) {
        const char16_t unit = in[i];
        if (options.overlookSpaces && unit == Blank)
            continue;
        if (!options.convertToUppercase) {
            *out++ = unit;
        } else if (unit < 0x80) {
            *out++ = unit >= u'a' && unit <= u'z' ? char16_t(unit - (u'a' - u'A')) : unit;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < end
            && QChar::isLowSurrogate(in[i + 1])) {
            // As upperEach: a pair is mapped as one character, and stays a pair.
            const char32_t mapped = QChar::toUpper(QChar::surrogateToUcs4(unit, in[i + 1]));
            const bool pair = QChar::requiresSurrogates(mapped);
            *out++ = pair ? QChar::highSurrogate(mapped) : unit;
            *out++ = pair ? QChar::lowSurrogate(mapped) : in[i + 1];
            ++i;
        } else {
            const char32_t mapped = QChar::toUpper(char32_t(unit));
            *out++ = QChar::requiresSurrogates(mapped) ? unit : char16_t(mapped);
        }
    }
    key.truncate(out - begin);
    return key;
}

} // namespace arvelo
