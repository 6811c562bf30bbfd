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
        } else if (kind == "move" && fields.size() == 5) {
            const auto fileDevice = numberFrom(fields.at(1));
            const auto fileInode = numberFrom(fields.at(2));
            const auto folder = nameFrom(fields.at(3));
            const auto file = nameFrom(fields.at(4));
            if (fileDevice && fileInode && folder && file)
                content.records.append({false, *folder, *file, {*fileDevice, *fileInode}});
        }
    }
    return content;
}

} // namespace arvelo
