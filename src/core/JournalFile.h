#pragma once

#include "core/Descriptor.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace arvelo {

// A journal is written before its pass changes anything, so that the pass can be taken back
// even after the program was killed. One line per record, names as percent-encoded bytes:
//   arvelo-journal 1
//   folder <device> <inode> <path>
//   made <folder>                      (written before the folder is made)
//   move <device> <inode> <size> <mtime> <folder> <file>   (before the file moves into folder;
//                                      mtime in nanoseconds)
//   reserved <device> <inode> <size> <mtime> <folder> <file>   (an empty file just made to hold
//                                      the name until the file moves over it, where there are no
//                                      hard links; folder "." is the selected folder)
//   undone                             (appended once the pass has been taken back)
// While the pass runs, zeros follow the last record; a journal left by a crash keeps them.
inline constexpr QByteArrayView JournalMagic = "arvelo-journal 1";

struct JournalRecord
{
    // A folder the pass made, or a file it moved into `folder` (or reserved there).
    bool made = false;
    QString folder;
    QString file;
    FileId identity;
    // The file's size and modification time (nanoseconds), -1 when not known: what tells the
    // file where identities are not stable.
    qint64 size = -1;
    qint64 mtime = -1;

    // Whether what stands there now is the file that was moved. Where identities are stable
    // the identity decides; elsewhere the size and time must match (the name does already).
    bool isFile(const struct stat &info, bool stableIds) const;
    bool reserved = false;
};

// A journal's first two lines as read back: every byte is distrusted, so the path is as written
// and still has to be checked.
struct JournalHead
{
    QString folder;
    FileId folderIdentity;
};

// The first two lines of a journal's text, and where its records begin.
std::optional<JournalHead> parseHead(QByteArrayView text, qsizetype *recordsStart = nullptr);
// One whole line of records; nothing for any other line.
std::optional<JournalRecord> parseRecord(QByteArrayView line);
// The `reserved` records of a journal's text from `at` on and, with `moves`, how many `move`
// lines it has. Lines that cannot be read, and a last line without its end, are left out.
QList<JournalRecord> reservationsIn(QByteArrayView text, qsizetype at, qsizetype *moves = nullptr);

// Appends to text the record of `kind` ("move" or "reserved") of the file `name` (its bytes) in
// the folder whose name is folderField, percent-encoded already. Without a copy of its own:
// this runs for every file moved.
void writeRecord(QByteArray &text, QByteArrayView kind, const struct stat &file,
    QByteArrayView folderField, QByteArrayView name);
// The line that records the empty file `name`, just made in `folder` to reserve its name.
QByteArray reservationRecord(const struct stat &file, const QString &folder, QByteArrayView name);

} // namespace arvelo
