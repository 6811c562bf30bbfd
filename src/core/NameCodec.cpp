#include "core/NameCodec.h"

#include <cerrno>
#include <unistd.h>

namespace arvelo {

namespace {

constexpr char16_t EscapeBase = 0xDC00;
constexpr char16_t Replacement = 0xFFFD;

bool isEscape(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at`, and its code point; 0 when it is not one.
// Overlong forms, surrogates and code points above U+10FFFF are not valid.
int validSequence(const unsigned char *at, const unsigned char *end, char32_t &point)
{
    const unsigned char lead = *at;
    int length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (end - at < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(at[k]))
            return 0;
        point = (point << 6) | (at[k] & 0x3F);
    }
    if (point < min || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString decodeName(QByteArrayView bytes)
{
    const auto *at = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = at + bytes.size();
    // Never more UTF-16 units than bytes.
    QString name(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(name.data());
    char16_t *const begin = out;
    while (at < end) {
        if (*at < 0x80) {
            *out++ = *at++;
            continue;
        }
        char32_t point = 0;
        const int length = validSequence(at, end, point);
        if (length == 0) {
            *out++ = char16_t(EscapeBase + *at++);
        } else if (point >= 0x10000) {
            *out++ = QChar::highSurrogate(point);
            *out++ = QChar::lowSurrogate(point);
            at += length;
        } else {
            *out++ = char16_t(point);
            at += length;
        }
    }
    name.truncate(out - begin);
    return name;
}

QByteArray encodeName(QStringView name)
{
    // Never more than three bytes a UTF-16 unit; written through a pointer, since this runs for
    // every name the move touches (the bench's move rows).
    QByteArray bytes(name.size() * 3, Qt::Uninitialized);
    char *out = bytes.data();
    char *const begin = out;
    const char16_t *at = name.utf16();
    const char16_t *const end = at + name.size();
    // Code points from U+0080 up; plain ASCII is copied in the loop below.
    const auto put = [&out](char32_t point) {
        if (point < 0x800) {
            *out++ = char(0xC0 | (point >> 6));
            *out++ = char(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            *out++ = char(0xE0 | (point >> 12));
            *out++ = char(0x80 | ((point >> 6) & 0x3F));
            *out++ = char(0x80 | (point & 0x3F));
        } else {
            *out++ = char(0xF0 | (point >> 18));
            *out++ = char(0x80 | ((point >> 12) & 0x3F));
            *out++ = char(0x80 | ((point >> 6) & 0x3F));
            *out++ = char(0x80 | (point & 0x3F));
        }
    };
    while (at < end) {
        const char16_t unit = *at++;
        if (unit < 0x80) {
            *out++ = char(unit);
        } else if (QChar::isHighSurrogate(unit) && at < end && QChar::isLowSurrogate(*at)) {
            put(QChar::surrogateToUcs4(unit, *at++));
        } else if (isEscape(unit)) {
            *out++ = char(unit - EscapeBase);
        } else if (QChar::isSurrogate(unit)) {
            // No decoded name holds any other lone surrogate; it has no bytes of its own.
            put(Replacement);
        } else {
            put(unit);
        }
    }
    bytes.truncate(out - begin);
    return bytes;
}

QString displayName(const QString &name)
{
    QString shown = name;
    const qsizetype size = name.size();
    for (qsizetype k = 0; k < size; ++k) {
        const char16_t unit = name.at(k).unicode();
        if (QChar::isHighSurrogate(unit) && k + 1 < size && name.at(k + 1).isLowSurrogate())
            ++k;
        else if (isEscape(unit))
            shown[k] = QChar(Replacement);
    }
    return shown;
}

QString currentFolder()
{
    QByteArray buffer(4096, Qt::Uninitialized);
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return decodeName(QByteArrayView(buffer.constData()));
}

} // namespace arvelo
