#include "core/JournalStore.h"

#include "core/ArtistFolders.h"
#include "core/NameCodec.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

constexpr QByteArrayView Suffix = ".journal";
// A journal holds about a hundred bytes a file; anything far larger is not one of ours.
constexpr qint64 MaxJournalBytes = qint64(256) << 20;
// Enough for the first two lines, whatever the folder's path: a path of PATH_MAX bytes, each
// written as three.
constexpr qint64 HeaderBytes = 3 * PATH_MAX + 256;

// Makes every missing folder of `path`, private to the user as the base directory asks.
bool makeFolders(const QByteArray &path)
{
    for (qsizetype at = path.indexOf('/', 1); at != -1; at = path.indexOf('/', at + 1)) {
        if (::mkdir(path.left(at).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info = {};
    return (::mkdir(path.constData(), 0700) == 0 || errno == EEXIST)
        && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The journals' folder, only when it is the user's own and private to them: journals that
// others can write or replace could make an undo move files of their choosing.
UniqueFd openDir(const QString &dir)
{
    UniqueFd fd = openFolder(AT_FDCWD, encodeName(dir).constData());
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return {};
    return fd;
}

// A regular file of dir, or its first `limit` bytes when onlyHead; a larger file is not read.
// A pipe or device put there never blocks us.
std::optional<QByteArray> readAt(int dir, const QString &name, qint64 limit, bool onlyHead = false)
{
    const UniqueFd fd(::openat(
        dir, encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info = {};
    // Only the user's own journals are read.
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()
        || (info.st_size > limit && !onlyHead))
        return std::nullopt;
    QByteArray data(std::min<qint64>(info.st_size, limit), Qt::Uninitialized);
    qint64 got = 0;
    for (ssize_t n = 1; got < data.size() && n > 0; got += n)
        n = std::max(::read(fd.get(), data.data() + got, size_t(data.size() - got)), ssize_t(0));
    data.truncate(got);
    return data;
}

// The journals in dir, newest first: their names begin with the time they were started.
QStringList journalNames(int dir)
{
    QStringList names;
    const Listing listing = openListing(dir);
    if (!listing)
        return names;
    while (const dirent *entry = ::readdir(listing.get())) {
        const QByteArrayView name(entry->d_name);
        if (name.endsWith(Suffix) && !name.startsWith('.'))
            names.append(decodeName(name));
    }
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

// The journal's first lines: the folder's path and identity, without records.
std::optional<JournalHead> headOf(int dir, const QString &name)
{
    const auto head = readAt(dir, name, HeaderBytes, true);
    return head ? parseHead(*head) : std::nullopt;
}

} // namespace

std::optional<QString> stateFolderProblem(const QString &journalDir)
{
    struct stat info = {};
    if (::stat(encodeName(journalDir).constData(), &info) != 0 || openDir(journalDir).isOpen())
        return std::nullopt;
    return u"The folder of the moves' records \"%1\" is not private to you (it must be yours, "
           u"with mode 0700); nothing was changed."_s.arg(displayName(journalDir));
}

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

UniqueFd createJournal(const QString &journalDir, QString &name)
{
    if (!makeFolders(encodeName(journalDir)))
        return {};
    const UniqueFd dir = openDir(journalDir);
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    name = u"%1%2-%3"_s.arg(qint64(now.tv_sec), 11, 10, QChar(u'0'))
               .arg(qint64(now.tv_nsec), 9, 10, QChar(u'0'))
               .arg(::getpid())
        + QString::fromLatin1(Suffix);
    return UniqueFd(::openat(dir.get(), encodeName(name).constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
}

std::optional<UniqueFd> lockPasses(const QString &journalDir, FileId folder)
{
    if (!makeFolders(encodeName(journalDir)))
        return UniqueFd();
    const QByteArray name
        = QByteArray::number(folder.device) + '-' + QByteArray::number(folder.inode) + ".lock";
    UniqueFd lock(::openat(openDir(journalDir).get(), name.constData(),
        O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.isOpen() && ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? std::nullopt : std::optional(UniqueFd());
    return lock;
}

QString folderBusyMessage(const QString &folder)
{
    return u"Another move or undo is under way in \"%1\". Try again once it has ended."_s.arg(
        displayName(folder));
}

void removeJournal(const QString &journalDir, const QString &name)
{
    ::unlinkat(openDir(journalDir).get(), encodeName(name).constData(), 0);
}

void removeOldPasses(const QString &journalDir, FileId folder)
{
    const UniqueFd dir = openDir(journalDir);
    int kept = 0;
    for (const QString &name : journalNames(dir.get())) {
        const auto head = headOf(dir.get(), name);
        if (!head || head->folderIdentity != folder)
            continue;
        if (++kept > KeptPasses)
            ::unlinkat(dir.get(), encodeName(name).constData(), 0);
    }
}

std::optional<QString> lastPassOf(FileId folder, const QString &path, const QString &journalDir,
    QByteArray &text, const QStringList &passedOver, bool byPathAlone)
{
    const UniqueFd dir = openDir(journalDir);
    for (const QString &name : journalNames(dir.get())) {
        // A folder made where another one was removed may have its identity: the path counts too.
        const auto head = passedOver.contains(name) ? std::nullopt : headOf(dir.get(), name);
        if (!head || head->folder != path || (!byPathAlone && head->folderIdentity != folder))
            continue;
        // The mark is a line of its own, which no record can hold.
        auto whole = readAt(dir.get(), name, MaxJournalBytes);
        if (!whole || whole->contains("\nundone\n"))
            continue;
        text = std::move(*whole);
        return name;
    }
    return std::nullopt;
}

bool appendRecord(const QString &journalDir, const QString &name, QByteArrayView line, bool flush)
{
    const UniqueFd fd(::openat(openDir(journalDir).get(), encodeName(name).constData(),
        O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
    // Begins with a line end of its own, in case the last record was cut short.
    const QByteArray text = '\n' + line.toByteArray();
    return ::write(fd.get(), text.constData(), size_t(text.size())) == text.size()
        && (!flush || ::fdatasync(fd.get()) == 0);
}

} // namespace arvelo
