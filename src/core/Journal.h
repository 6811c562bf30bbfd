#pragma once

#include "core/Descriptor.h"
#include "core/JournalStore.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace arvelo {

// Writes the journal of one pass in one folder (see JournalFile.h for its lines). Nothing is
// made on disk until the first record.
class Journal
{
public:
    // The folder as the pass opened it: its path and identity; the lock of its passes, held
    // for as long as the journal is written.
    Journal(
        QString folder, FileId identity, QString journalDir = journalFolder(), UniqueFd lock = {});
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Gathers, in order, what is about to happen: `subFolder` of the selected folder is to be
    // made, or the file `name` (its bytes), as it was looked at, is to move into it. A file
    // that could not be looked at comes with a zeroed `file` and is written down as unknown.
    void made(const QString &subFolder);
    void moving(const struct stat &file, const QString &subFolder, QByteArrayView name);
    // Writes at once that the empty file `name` was just made in `subFolder` to reserve its
    // name, so that one left by a crash can be told from another's file and removed.
    void reserved(const struct stat &file, const QString &subFolder, QByteArrayView name);
    // Writes what was gathered with one write, once what was written before is on the disk.
    // False when it could not be written; then none of it may happen, and nothing more is
    // written.
    bool write();
    // The pass is over. A journal of a pass that changed nothing goes, so that it never pushes
    // a pass that did out of the KeptPasses; one that did makes older ones go.
    void finish(bool changedSomething);

private:
    // Makes the file, and puts its first lines before the first records, to go in their write.
    bool start(QByteArray &records);
    // Writes text after the records, once there is room for it; false when not all of it was.
    bool append(QByteArrayView text);
    // Zeros from the end of the records or of the room made before, whichever is further, to
    // past `end`; m_roomLock is held.
    void makeRoom(qint64 end);
    void flushInTurn();

    const QString m_folder;
    const FileId m_identity;
    const QString m_dir;
    UniqueFd m_fd;
    QString m_name;
    const UniqueFd m_passLock;
    QByteArray m_pending;
    std::mutex m_roomLock;
    qint64 m_room = 0; // the file's length: the records, then zeros
    QString m_lastFolder;
    QByteArray m_lastFolderField;
    bool m_failed = false;

    // A power cut loses at most the records written last: a helper flushes each write to the
    // disk while the pass goes on with it, and the next write waits for that flush.
    std::mutex m_lock;
    std::condition_variable m_wake;
    qint64 m_written = 0;
    qint64 m_flushed = 0;
    bool m_flushFailed = false;
    bool m_stopping = false;
    std::thread m_flusher;
};

} // namespace arvelo
