#include "core/Journal.h"

#include "core/NameCodec.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <sched.h>
#include <unistd.h>
#include <utility>

namespace arvelo {

namespace {

// The file is made longer ahead of the records, with zeros, and the records are written over
// the zeros. On ext4 a flush after a write that made the file longer commits the file system's
// own journal, with every rename made since; a flush after a write over bytes already on the
// disk does not, and costs the move far less.
constexpr qint64 RoomChunk = qint64(1) << 20;
constexpr qint64 LargestGrowth = qint64(16) << 20;

// Writes all of `bytes` at `at`, again after an interruption; how many were written.
qint64 writeAt(int fd, QByteArrayView bytes, qint64 at)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

Journal::Journal(QString folder, FileId identity, QString journalDir, UniqueFd lock)
    : m_folder(std::move(folder))
    , m_identity(identity)
    , m_dir(std::move(journalDir))
    , m_passLock(std::move(lock))
{ }

Journal::~Journal()
{
    if (m_flusher.joinable()) {
        {
            const std::lock_guard lock(m_lock);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_flusher.join();
    }
    // The zeros after the last record go; left by a crash, they read as a broken last line.
    if (m_fd.isOpen() && m_room > m_written)
        ::ftruncate(m_fd.get(), m_written);
}

bool Journal::start(QByteArray &records)
{
    m_fd = createJournal(m_dir, m_name);
    if (!m_fd.isOpen())
        return false;
    records.prepend(JournalMagic.toByteArray() + "\nfolder " + QByteArray::number(m_identity.device)
        + ' ' + QByteArray::number(m_identity.inode) + ' '
        + encodeName(m_folder).toPercentEncoding("/") + '\n');
    m_flusher = std::thread(&Journal::flushInTurn, this);
    return true;
}

void Journal::made(const QString &subFolder)
{
    m_pending += "made " + encodeName(subFolder).toPercentEncoding() + '\n';
}

void Journal::moving(const struct stat &file, const QString &subFolder, QByteArrayView name)
{
    // An artist's files come one after another: its folder's name is encoded once.
    if (subFolder != m_lastFolder || m_lastFolderField.isEmpty()) {
        m_lastFolder = subFolder;
        m_lastFolderField = encodeName(subFolder).toPercentEncoding();
    }
    writeRecord(m_pending, "move", file, m_lastFolderField, name);
}

void Journal::reserved(const struct stat &file, const QString &subFolder, QByteArrayView name)
{
    // Not waited for on the disk: lost to a power cut, a reservation is only an empty file left.
    if (m_fd.isOpen() && !m_failed)
        append(reservationRecord(file, subFolder, name));
}

bool Journal::write()
{
    QByteArray text = std::exchange(m_pending, {});
    if (text.isEmpty() && !m_failed)
        return true;
    if (m_failed || (!m_fd.isOpen() && !start(text))) {
        m_failed = true;
        return false;
    }
    {
        // What was written before is on the disk before anything of this write happens.
        std::unique_lock lock(m_lock);
        m_wake.wait(lock, [this] { return m_flushed == m_written; });
        // Records that may not be on the disk cannot promise an undo: nothing more happens.
        if (m_flushFailed) {
            m_failed = true;
            return false;
        }
    }
    // Whatever part was written ends in a broken line, which reading leaves out.
    if (!append(text)) {
        m_failed = true;
        return false;
    }
    // The next batch is gathered in the same buffer: a new one, grown a record at a time, was
    // copied over a dozen times a batch.
    m_pending = std::move(text);
    m_pending.truncate(0);
    return true;
}

void Journal::finish(bool changedSomething)
{
    if (!m_fd.isOpen())
        return;
    if (changedSomething)
        removeOldPasses(m_dir, m_identity);
    else
        removeJournal(m_dir, m_name);
}

bool Journal::append(QByteArrayView text)
{
    // The helper makes room after a flush while the pass may be writing a reservation.
    const std::lock_guard room(m_roomLock);
    makeRoom(m_written + text.size());
    if (writeAt(m_fd.get(), text, m_written) != text.size())
        return false;
    {
        const std::lock_guard lock(m_lock);
        m_written += text.size();
    }
    m_wake.notify_all();
    return true;
}

void Journal::makeRoom(qint64 end)
{
    // Without room the records make the file longer themselves, which costs only time. A fill
    // cut short by a full disk may have stopped behind records written since: zeros never go
    // over a record.
    static constexpr std::array<char, 65536> zeros {};
    m_room = std::max(m_room, m_written);
    if (end <= m_room)
        return;
    // Each growth doubles the room, by at most LargestGrowth: a pass of a million files
    // makes its file longer a dozen times.
    qint64 room = std::max(m_room, RoomChunk);
    while (room <= end)
        room += std::min(room, LargestGrowth);
    while (m_room < room) {
        const qint64 chunk = std::min(qint64(zeros.size()), room - m_room);
        const qint64 n = writeAt(m_fd.get(), QByteArrayView(zeros.data(), chunk), m_room);
        m_room += n;
        if (n < chunk)
            return;
    }
}

void Journal::flushInTurn()
{
    // The helper takes a table of open files of its own and keeps only the journal in it:
    // while two threads share one table, every call the move makes through an open folder
    // costs more (the bench's journal row). The other copies are closed, or a file the program
    // closes would stay open behind its back; the standard streams stay.
    if (::unshare(CLONE_FILES) == 0) {
        const auto journal = unsigned(m_fd.get());
        if (journal > 3)
            ::close_range(3, journal - 1, 0);
        ::close_range(std::max(journal + 1, 3U), ~0U, 0);
    }
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_written > m_flushed; });
        if (m_written == m_flushed)
            return;
        const qint64 upTo = m_written;
        const bool last = m_stopping;
        lock.unlock();
        const bool synced = ::fdatasync(m_fd.get()) == 0;
        // The room for the records to come is made here rather than by the pass, which writes
        // again only once this flush is over.
        if (!last) {
            const std::lock_guard room(m_roomLock);
            if (m_room - m_written < RoomChunk)
                makeRoom(m_room + 1);
        }
        lock.lock();
        m_flushFailed = m_flushFailed || !synced;
        m_flushed = upTo;
        m_wake.notify_all();
    }
}

} // namespace arvelo
