#include "core/Journal.h"

#include "core/ArtistFolders.h"
#include "core/NameCodec.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sched.h>
#include <string_view>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

constexpr QByteArrayView Magic = "arvelo-journal 1";
constexpr QByteArrayView Suffix = ".journal";
// A journal holds about a hundred bytes a file; anything far larger is not one of ours.
constexpr qint64 MaxJournalBytes = qint64(256) << 20;
// The file is made longer ahead of the records, with zeros, and the records are written over
// the zeros. On ext4 a flush after a write that made the file longer commits the file system's own
// journal, with every rename made since; a flush after a write over bytes already on the disk
// does not, and costs the move far less.
constexpr qint64 RoomChunk = qint64(1) << 20;
constexpr qint64 LargestGrowth = qint64(16) << 20;
// Enough for the first two lines, whatever the folder's path.
constexpr qint64 HeaderBytes = 8192;

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

FileIdentity identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

QByteArray identityField(FileIdentity identity)
{
    return QByteArray::number(identity.device) + ' ' + QByteArray::number(identity.inode);
}

// Makes every missing folder of `path`, private to the user as the base directory asks.
bool makeFolders(const QByteArray &path)
{
    for (qsizetype at = path.indexOf('/', 1); at != -1 || !path.isEmpty();
         at = path.indexOf('/', at + 1)) {
        const QByteArray part = at == -1 ? path : path.left(at);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (at == -1)
            break;
    }
    struct stat info
    { };
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

int openDir(const QString &dir)
{
    return ::open(encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// A regular file of dir, or its first `limit` bytes when onlyHead; a larger file is not read.
// A pipe or device put there never blocks us.
std::optional<QByteArray> readAt(int dir, const QString &name, qint64 limit, bool onlyHead = false)
{
    const int fd = ::openat(
        dir, encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    { };
    std::optional<QByteArray> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (info.st_size <= limit || onlyHead)) {
        QByteArray data(std::min<qint64>(info.st_size, limit), Qt::Uninitialized);
        qint64 got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
            if (n <= 0)
                break;
            got += n;
        }
        data.truncate(got);
        text = data;
    }
    ::close(fd);
    return text;
}

// The journals in dir, newest first: their names begin with the time they were started.
QStringList journalNames(int dir)
{
    QStringList names;
    const int listed = ::dup(dir);
    DIR *stream = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!stream) {
        if (listed >= 0)
            ::close(listed);
        return names;
    }
    ::rewinddir(stream);
    while (const dirent *entry = ::readdir(stream)) {
        const QByteArrayView name(entry->d_name);
        if (name.endsWith(Suffix) && !name.startsWith('.'))
            names.append(decodeName(name));
    }
    ::closedir(stream);
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

std::optional<FileIdentity> folderOfJournal(int dir, const QString &name)
{
    const auto head = readAt(dir, name, HeaderBytes, true);
    if (!head)
        return std::nullopt;
    // Only the first two lines count here; the rest may have been cut off.
    const auto content = parseJournal(head->left(head->indexOf('\n', head->indexOf('\n') + 1) + 1));
    if (!content)
        return std::nullopt;
    return content->folderIdentity;
}

// Keeps the newest KeptPasses journals of the folder and removes the older ones.
void removeOldPasses(int dir, FileIdentity folder)
{
    int kept = 0;
    for (const QString &name : journalNames(dir)) {
        if (folderOfJournal(dir, name) != folder)
            continue;
        if (++kept > KeptPasses)
            ::unlinkat(dir, encodeName(name).constData(), 0);
    }
}

} // namespace

QString journalFolder()
{
    QString state = decodeName(qgetenv("XDG_STATE_HOME"));
    // A relative path is not a valid base directory and is ignored.
    if (!state.startsWith(u'/')) {
        const QString home = decodeName(qgetenv("HOME"));
        state = joinPath(home.isEmpty() ? QDir::homePath() : home, u".local/state"_s);
    }
    return joinPath(state, u"arvelo"_s);
}

Journal::Journal(QString folder, QString journalDir)
    : m_folder(std::move(folder))
    , m_dir(std::move(journalDir))
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
    if (m_fd >= 0 && m_room > m_written)
        ::ftruncate(m_fd, m_written);
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

bool Journal::start()
{
    if (!makeFolders(encodeName(m_dir)))
        return false;
    const int dir = openDir(m_dir);
    if (dir < 0)
        return false;
    m_folderFd = ::open(encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info
    { };
    if (m_folderFd >= 0 && ::fstat(m_folderFd, &info) == 0) {
        timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        m_name = u"%1%2-%3"_s.arg(qint64(now.tv_sec), 11, 10, QChar(u'0'))
                     .arg(qint64(now.tv_nsec), 9, 10, QChar(u'0'))
                     .arg(::getpid())
            + QString::fromLatin1(Suffix);
        m_fd = ::openat(dir, encodeName(m_name).constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    }
    ::close(dir);
    if (m_fd < 0)
        return false;
    m_identity = identityOf(info);
    // Written with the first records, in the same write.
    m_head = Magic.toByteArray() + "\nfolder " + identityField(m_identity) + ' '
        + encodeName(m_folder).toPercentEncoding("/") + '\n';
    m_flusher = std::thread(&Journal::flushInTurn, this);
    return true;
}

void Journal::made(const QString &subFolder)
{
    const QByteArray folder = encodeName(subFolder);
    char *out = roomAtEnd(m_pending, 6 + 3 * folder.size());
    out = std::copy_n("made ", 5, out);
    out = percentEncoded(out, folder);
    *out++ = '\n';
    m_pending.truncate(out - m_pending.constData());
}

void Journal::moving(FileIdentity file, const QString &subFolder, QByteArrayView name)
{
    // An artist's files come one after another: its folder's name is encoded once.
    if (subFolder != m_lastFolder || m_lastFolderField.isEmpty()) {
        m_lastFolder = subFolder;
        const QByteArray folder = encodeName(subFolder);
        m_lastFolderField.resize(3 * folder.size());
        m_lastFolderField.truncate(
            percentEncoded(m_lastFolderField.data(), folder) - m_lastFolderField.constData());
    }
    // "move ", two numbers of at most 20 digits and the folder, each with a blank after it.
    char *out = roomAtEnd(m_pending, 48 + m_lastFolderField.size() + 3 * name.size() + 1);
    out = std::copy_n("move ", 5, out);
    out = std::to_chars(out, out + 20, file.device).ptr;
    *out++ = ' ';
    out = std::to_chars(out, out + 20, file.inode).ptr;
    *out++ = ' ';
    out = std::copy(m_lastFolderField.cbegin(), m_lastFolderField.cend(), out);
    *out++ = ' ';
    out = percentEncoded(out, name);
    *out++ = '\n';
    m_pending.truncate(out - m_pending.constData());
}

bool Journal::write()
{
    QByteArray text = std::exchange(m_pending, {});
    if (text.isEmpty() && !m_failed)
        return true;
    if (m_failed || (m_fd < 0 && !start())) {
        m_failed = true;
        return false;
    }
    const bool first = !m_head.isEmpty();
    if (first)
        text.prepend(std::exchange(m_head, {}));
    {
        // What was written before is on the disk before anything of this write happens.
        std::unique_lock lock(m_lock);
        m_wake.wait(lock, [this] { return m_flushed == m_written; });
    }
    makeRoom(m_written + text.size());
    qint64 done = 0;
    while (done < text.size()) {
        const ssize_t n
            = ::pwrite(m_fd, text.constData() + done, size_t(text.size() - done), m_written + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Whatever part was written ends in a broken line, which reading leaves out.
            m_failed = true;
            return false;
        }
        done += n;
    }
    if (first) {
        // The new journal counts among the folder's passes kept.
        if (const int dir = openDir(m_dir); dir >= 0) {
            removeOldPasses(dir, m_identity);
            ::close(dir);
        }
    }
    {
        const std::lock_guard lock(m_lock);
        m_written += done;
    }
    m_wake.notify_all();
    // The next batch is gathered in the same buffer: a new one, grown a record at a time, was
    // copied over a dozen times a batch.
    m_pending = std::move(text);
    m_pending.truncate(0);
    return true;
}

void Journal::makeRoom(qint64 end)
{
    // Without room the records make the file longer themselves, which costs only time.
    static constexpr std::array<char, 65536> zeros {};
    if (end <= m_room)
        return;
    // Each growth doubles the room, by at most LargestGrowth: a pass of a million files
    // makes its file longer a dozen times.
    qint64 room = std::max(m_room, RoomChunk);
    while (room <= end)
        room += std::min(room, LargestGrowth);
    while (m_room < room) {
        const ssize_t n = ::pwrite(
            m_fd, zeros.data(), size_t(std::min(qint64(zeros.size()), room - m_room)), m_room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        m_room += n;
    }
}

void Journal::flushInTurn()
{
    // The helper takes a table of open files of its own and keeps only the journal in it.
    // While two threads share one table, Linux counts a reference to the open folder at every
    // call the move makes through it, and each call took 4 % longer. The other copies are
    // closed, or a file the program closes would stay open behind its back; the standard
    // streams stay, for whatever reports from this thread.
    if (::unshare(CLONE_FILES) == 0) {
        const auto journal = unsigned(m_fd);
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
        ::fdatasync(m_fd);
        // The room for the records to come is made here rather than by the pass, which writes
        // again only once this flush is over.
        if (!last && m_room - upTo < RoomChunk)
            makeRoom(m_room + 1);
        lock.lock();
        m_flushed = upTo;
        m_wake.notify_all();
    }
}

std::optional<JournalContent> parseJournal(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    // The last record may have been cut short by a crash: only whole lines count.
    lines.removeLast();
    if (lines.size() < 2 || lines.at(0) != Magic)
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

std::optional<JournalContent> readJournal(const QString &journalDir, const QString &name)
{
    const int dir = openDir(journalDir);
    if (dir < 0)
        return std::nullopt;
    const auto text = readAt(dir, name, MaxJournalBytes);
    ::close(dir);
    return text ? parseJournal(*text) : std::nullopt;
}

std::optional<QString> lastPassOf(
    FileIdentity folder, const QString &path, const QString &journalDir)
{
    const int dir = openDir(journalDir);
    if (dir < 0)
        return std::nullopt;
    std::optional<QString> found;
    for (const QString &name : journalNames(dir)) {
        if (folderOfJournal(dir, name) != folder)
            continue;
        const auto text = readAt(dir, name, MaxJournalBytes);
        const auto content = text ? parseJournal(*text) : std::nullopt;
        // A folder made where another one was removed may have its identity.
        if (content && !content->undone && content->folder == path) {
            found = name;
            break;
        }
    }
    ::close(dir);
    return found;
}

bool markUndone(const QString &journalDir, const QString &name)
{
    const int dir = openDir(journalDir);
    if (dir < 0)
        return false;
    const int fd
        = ::openat(dir, encodeName(name).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    ::close(dir);
    if (fd < 0)
        return false;
    // Begins with a line end of its own, in case the last record was cut short.
    constexpr QByteArrayView mark = "\nundone\n";
    const bool written
        = ::write(fd, mark.data(), size_t(mark.size())) == mark.size() && ::fdatasync(fd) == 0;
    ::close(fd);
    return written;
}

} // namespace arvelo
