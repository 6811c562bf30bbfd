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

// Valid UTF-8 as text; Qt would drop a byte order mark at the start, which a name keeps.
QString fromUtf8(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    return QChar(QChar::ByteOrderMark) + QString::fromUtf8(bytes.sliced(3));
}

} // namespace

QString decodeName(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return fromUtf8(bytes);
    // Each valid sequence reads as usual; any other byte is escaped on its own.
    QString name;
    name.reserve(bytes.size());
    qsizetype from = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes.at(at));
        const qsizetype length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (at + length <= bytes.size() && bytes.sliced(at, length).isValidUtf8()) {
            at += length;
            continue;
        }
        name += fromUtf8(bytes.sliced(from, at - from));
        name += QChar(char16_t(EscapeBase + lead));
        from = ++at;
    }
    return name + fromUtf8(bytes.sliced(from));
}

QByteArray encodeName(QStringView name)
{
    // Qt writes each lone surrogate as '?': only a name with one is encoded again, in pieces.
    QByteArray bytes = name.toUtf8();
    if (!bytes.contains('?'))
        return bytes;
    bytes.clear();
    qsizetype from = 0;
    for (qsizetype k = 0; k < name.size(); ++k) {
        const char16_t unit = name.at(k).unicode();
        if (!QChar::isSurrogate(unit))
            continue;
        if (QChar::isHighSurrogate(unit) && k + 1 < name.size()
            && name.at(k + 1).isLowSurrogate()) {
            ++k;
            continue;
        }
        bytes += name.sliced(from, k - from).toUtf8();
        // No decoded name holds any other lone surrogate; it has no bytes of its own.
        bytes += isEscape(unit) ? QByteArray(1, char(unit - EscapeBase))
                                : QStringView(&Replacement, 1).toUtf8();
        from = k + 1;
    }
    return bytes + name.sliced(from).toUtf8();
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
