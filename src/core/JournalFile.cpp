#include "core/JournalFile.h"

#include "core/NameCodec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace arvelo {

namespace {

// Writes the bytes with every one but letters, digits and "-._~" as %XX, as
// QByteArray::toPercentEncoding does, to `out`, which has room for three times as many; returns
// the end. It runs for every file moved, so it makes no copy of its own.
char *percentEncoded(char *out, QByteArrayView bytes)
{
    static constexpr auto Plain = [] {
        std::array<bool, 256> plain {};
        for (const unsigned char c : std::string_view("abcdefghijklmnopqrstuvwxyz"
                                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~"))
            plain[c] = true;
        return plain;
    }();
    constexpr char Hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (Plain[byte]) {
            *out++ = c;
        } else {
            *out++ = '%';
            *out++ = Hex[byte >> 4];
            *out++ = Hex[byte & 15];
        }
    }
    return out;
}

// Room for `bytes` more at the end of text, where the returned pointer writes; the caller cuts
// text back to where it stopped writing.
char *roomAtEnd(QByteArray &text, qsizetype bytes)
{
    const qsizetype at = text.size();
    // Grown by half again when full, so that a batch of records is not copied record by record.
    if (text.capacity() < at + bytes)
        text.reserve((at + bytes) * 3 / 2);
    text.resize(at + bytes);
    return text.data() + at;
}

std::optional<QString> nameFrom(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    return decodeName(QByteArray::fromPercentEncoding(text.toByteArray()));
}

// Digits only, and a "-" before them for a signed number: no "+", no blanks, no base prefix.
template<typename Number>
std::optional<Number> numberFrom(QByteArrayView text)
{
    Number value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value);
    return error == std::errc() && end == text.end() ? std::optional(value) : std::nullopt;
}

// A file's modification time in nanoseconds, as records keep it.
qint64 modifiedNs(const struct stat &info)
{
    return qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

} // namespace

bool JournalRecord::isFile(const struct stat &info, bool stableIds) const
{
    if (stableIds || size < 0 || !identity.known())
        return sameFile(info, identity);
    return info.st_size == size && modifiedNs(info) == mtime;
}

void writeRecord(QByteArray &text, QByteArrayView kind, const struct stat &file,
    QByteArrayView folderField, QByteArrayView name)
{
    // The kind, four numbers of at most 20 characters, the folder and the name, each with a
    // blank or the line's end after it.
    char *out
        = roomAtEnd(text, kind.size() + 1 + 4 * 21 + folderField.size() + 1 + 3 * name.size() + 1);
    out = std::copy(kind.begin(), kind.end(), out);
    *out++ = ' ';
    const auto number = [&out](auto value) {
        out = std::to_chars(out, out + 20, value).ptr;
        *out++ = ' ';
    };
    number(quint64(file.st_dev));
    number(quint64(file.st_ino));
    number(qint64(file.st_size));
    number(modifiedNs(file));
    out = std::copy(folderField.begin(), folderField.end(), out);
    *out++ = ' ';
    out = percentEncoded(out, name);
    *out++ = '\n';
    text.truncate(out - text.constData());
}

QByteArray reservationRecord(const struct stat &file, const QString &folder, QByteArrayView name)
{
    QByteArray record;
    writeRecord(record, "reserved", file, encodeName(folder).toPercentEncoding(), name);
    return record;
}

std::optional<JournalRecord> parseRecord(QByteArrayView line)
{
    std::array<QByteArrayView, 8> fields;
    qsizetype count = 0;
    for (qsizetype at = 0; at <= line.size(); ++count) {
        const qsizetype blank = line.indexOf(' ', at);
        const qsizetype end = blank < 0 ? line.size() : blank;
        if (count == qsizetype(fields.size()))
            return std::nullopt;
        fields[count] = line.sliced(at, end - at);
        at = end + 1;
    }
    const QByteArrayView kind = fields[0];
    if (kind == "made" && count == 2) {
        if (const auto folder = nameFrom(fields[1]))
            return JournalRecord {true, *folder, {}, {}};
        return std::nullopt;
    }
    // Journals written before sizes and times were recorded have five fields.
    const bool stamped = count == 7;
    if (!((kind == "move" && (stamped || count == 5)) || (kind == "reserved" && stamped)))
        return std::nullopt;
    const auto fileDevice = numberFrom<quint64>(fields[1]);
    const auto fileInode = numberFrom<quint64>(fields[2]);
    const auto size = stamped ? numberFrom<quint64>(fields[3]) : std::optional<quint64>(-1);
    // A time before 1970 is negative.
    const auto mtime = stamped ? numberFrom<qint64>(fields[4]) : std::optional<qint64>(-1);
    const auto folder = nameFrom(fields[stamped ? 5 : 3]);
    const auto file = nameFrom(fields[stamped ? 6 : 4]);
    if (!fileDevice || !fileInode || !size || !mtime || !folder || !file)
        return std::nullopt;
    return JournalRecord {false, *folder, *file, {*fileDevice, *fileInode}, qint64(*size), *mtime,
        kind == "reserved"};
}

std::optional<JournalHead> parseHead(QByteArrayView text, qsizetype *recordsStart)
{
    const qsizetype first = text.indexOf('\n');
    const qsizetype second = first < 0 ? -1 : text.indexOf('\n', first + 1);
    if (second < 0 || text.first(first) != JournalMagic)
        return std::nullopt;
    const QList<QByteArray> head
        = text.sliced(first + 1, second - first - 1).toByteArray().split(' ');
    if (head.size() != 4 || head.at(0) != "folder")
        return std::nullopt;
    const auto device = numberFrom<quint64>(head.at(1));
    const auto inode = numberFrom<quint64>(head.at(2));
    const auto path = nameFrom(head.at(3));
    if (!device || !inode || !path)
        return std::nullopt;
    if (recordsStart)
        *recordsStart = second + 1;
    return JournalHead {*path, {*device, *inode}};
}

QList<JournalRecord> reservationsIn(QByteArrayView text, qsizetype at, qsizetype *moves)
{
    QList<JournalRecord> reserved;
    // The last record may have been cut short by a crash: only whole lines count.
    for (qsizetype end = text.indexOf('\n', at); end >= 0; end = text.indexOf('\n', at)) {
        const QByteArrayView line = text.sliced(at, end - at);
        at = end + 1;
        if (line.startsWith("move ") && moves)
            ++*moves;
        else if (line.startsWith("reserved "))
            if (auto record = parseRecord(line))
                reserved.append(std::move(*record));
    }
    return reserved;
}

} // namespace arvelo
