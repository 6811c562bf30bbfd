#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace arvelo {

// A file as the file system knows it, whatever its name: (0, 0) when it could not be told.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    bool known() const { return device != 0 || inode != 0; }
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// Where the journals are kept: $XDG_STATE_HOME/arvelo, else ~/.local/state/arvelo.
QString journalFolder();

// How many passes each folder keeps; older journals of that folder are removed.
inline constexpr int KeptPasses = 10;

// The journal of one pass in one folder, written before the pass changes anything, so that
// the pass can be taken back even after the program was killed. Nothing is made on disk until
// the first record. One line per record, names as percent-encoded bytes:
//   arvelo-journal 1
//   folder <device> <inode> <path>
//   made <folder>                      (written before the folder is made)
//   move <device> <inode> <folder> <file>   (written before the file moves into folder)
//   undone                             (appended once the pass has been taken back)
// While the pass runs, zeros follow the last record; a journal left by a crash keeps them.
class Journal
{
public:
    explicit Journal(QString folder, QString journalDir = journalFolder());
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Gathers, in order, what is about to happen: `subFolder` of the selected folder is to be
    // made, or the file `name` (its bytes) with that identity is to move into it.
    void made(const QString &subFolder);
    void moving(FileIdentity file, const QString &subFolder, QByteArrayView name);
    // Writes what was gathered with one write, once what was written before is on the disk.
    // False when it could not be written; then none of it may happen, and nothing more is
    // written.
    bool write();
    // The journal's file name inside the journal folder; empty while nothing is written.
    QString fileName() const { return m_name; }

private:
    bool start();
    void makeRoom(qint64 end);
    void flushInTurn();

    const QString m_folder;
    const QString m_dir;
    QString m_name;
    int m_folderFd = -1;
    FileIdentity m_identity;
    int m_fd = -1;
    QByteArray m_head;
    QByteArray m_pending;
    qint64 m_room = 0; // the file's length: the records, then zeros
    QString m_lastFolder;
    QByteArray m_lastFolderField;
    bool m_failed = false;

    // A power cut loses at most the records written last: a helper flushes each write to the
    // disk while the pass goes on with it, and the next write waits for that flush, since a
    // flush takes milliseconds.
    std::mutex m_lock;
    std::condition_variable m_wake;
    qint64 m_written = 0;
    qint64 m_flushed = 0;
    bool m_stopping = false;
    std::thread m_flusher;
};

struct JournalRecord
{
    // A folder the pass made, or a file it moved into `folder`.
    bool made = false;
    QString folder;
    QString file;
    FileIdentity identity;
};

// A journal as read back: every byte is distrusted, so names are as written and still have
// to be checked; lines that cannot be read, and a last line without its end, are left out.
struct JournalContent
{
    QString folder;
    FileIdentity folderIdentity;
    QList<JournalRecord> records;
    bool undone = false;
};

std::optional<JournalContent> parseJournal(const QByteArray &text);

// The file name, inside journalDir, of the newest journal of the folder with that identity and
// path that has not been taken back yet.
std::optional<QString> lastPassOf(
    FileIdentity folder, const QString &path, const QString &journalDir);

// Reads the journal `name` of journalDir.
std::optional<JournalContent> readJournal(const QString &journalDir, const QString &name);

// Marks the journal `name` as taken back; false when that could not be written.
bool markUndone(const QString &journalDir, const QString &name);

} // namespace arvelo
