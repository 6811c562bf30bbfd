#include "core/JournalFile.h"

#include "core/NameCodec.h"

#include <algorithm>

namespace arvelo {

namespace {

std::optional<QString> nameFrom(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    return decodeName(QByteArray::fromPercentEncoding(text.toByteArray()));
}

std::optional<quint64> numberFrom(QByteArrayView text)
{
    // Digits only: no sign, no blanks, no base prefix.
    if (text.isEmpty() || text.size() > 20
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    bool ok = false;
    const quint64 value = text.toULongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

qint64 modifiedNs(const struct stat &info)
{
    return qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

bool JournalRecord::isFile(const struct stat &info, bool stableIds) const
{
    if (stableIds || size < 0 || !identity.known())
        return sameFile(info, identity);
    return info.st_size == size && modifiedNs(info) == mtime;
}

QByteArray reservationRecord(const struct stat &file, const QString &folder, QByteArrayView name)
{
    const FileId id = FileId::of(file);
    return "reserved " + QByteArray::number(id.device) + ' ' + QByteArray::number(id.inode) + ' '
        + QByteArray::number(qint64(file.st_size)) + ' ' + QByteArray::number(modifiedNs(file))
        + ' ' + encodeName(folder).toPercentEncoding() + ' '
        + name.toByteArray().toPercentEncoding() + '\n';
}

std::optional<JournalContent> parseJournal(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    // The last record may have been cut short by a crash: only whole lines count.
    lines.removeLast();
    if (lines.size() < 2 || lines.at(0) != JournalMagic)
        return std::nullopt;
    const QList<QByteArray> head = lines.at(1).split(' ');
    if (head.size() != 4 || head.at(0) != "folder")
        return std::nullopt;
    const auto device = numberFrom(head.at(1));
    const auto inode = numberFrom(head.at(2));
    const auto path = nameFrom(head.at(3));
    if (!device || !inode || !path)
        return std::nullopt;
    JournalContent content {*path, {*device, *inode}, {}, false};
    for (qsizetype k = 2; k < lines.size(); ++k) {
        const QList<QByteArray> fields = lines.at(k).split(' ');
        const QByteArray &kind = fields.at(0);
        if (kind == "undone" && fields.size() == 1) {
            content.undone = true;
        } else if (kind == "made" && fields.size() == 2) {
            if (const auto folder = nameFrom(fields.at(1)))
                content.records.append({true, *folder, {}, {}});
        } else if ((kind == "move" && (fields.size() == 7 || fields.size() == 5))
            || (kind == "reserved" && fields.size() == 7)) {
            // Journals written before sizes and times were recorded have five fields.
            const bool stamped = fields.size() == 7;
            const auto fileDevice = numberFrom(fields.at(1));
            const auto fileInode = numberFrom(fields.at(2));
            const auto size = stamped ? numberFrom(fields.at(3)) : std::optional<quint64>(-1);
            // A time before 1970 is negative.
            const bool before = stamped && fields.at(4).startsWith('-');
            auto mtime
                = stamped ? numberFrom(fields.at(4).sliced(before)) : std::optional<quint64>(-1);
            if (mtime && before)
                mtime = -*mtime;
            const auto folder = nameFrom(fields.at(stamped ? 5 : 3));
            const auto file = nameFrom(fields.at(stamped ? 6 : 4));
            if (fileDevice && fileInode && size && mtime && folder && file)
                content.records.append({false, *folder, *file, {*fileDevice, *fileInode},
                    qint64(*size), qint64(*mtime), kind == "reserved"});
        }
    }
    return content;
}

} // namespace arvelo
