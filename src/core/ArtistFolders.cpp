#include "core/ArtistFolders.h"

#include "core/ArtistName.h"
#include "core/FolderListing.h"

#include "core/NameCodec.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// A link whose target starts at the root leads to the same file from any folder.
bool hasAbsoluteTarget(int dir, const QByteArray &name)
{
    char first = 0;
    return ::readlinkat(dir, name.constData(), &first, 1) == 1 && first == '/';
}

} // namespace

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool isPlainEntryName(const QString &name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/')
        && !name.contains(QChar(u'\0'));
}

bool isUsableFolderName(const QString &name)
{
    return isPlainEntryName(name) && !name.startsWith(u'.');
}

QString foldedName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

EntryIndex::EntryIndex(const QStringList &names)
{
    m_byFolded.reserve(names.size());
    for (const QString &name : names)
        add(name);
}

void EntryIndex::add(const QString &name)
{
    if (name.startsWith(u'.'))
        return;
    QStringList &same = m_byFolded[foldedName(name)];
    const auto at = std::lower_bound(same.begin(), same.end(), name);
    if (at == same.end() || *at != name)
        same.insert(at, name);
}

QStringList EntryIndex::foldMatches(const QString &name) const
{
    return m_byFolded.value(foldedName(name));
}

DiskFolders::DiskFolders(const MoveSyscalls &calls)
    : m_calls(calls)
{ }

DiskFolders::DiskFolders(ListedFolder folder, const MoveSyscalls &calls)
    : m_calls(calls)
    , m_folder(folder.path())
    , m_fd(folder.release())
    , m_folderError(m_fd < 0 ? folder.error() : 0)
{
    if (m_fd < 0 && m_folderError == 0)
        m_folderError = ENOENT;
}

DiskFolders::~DiskFolders()
{
    if (m_subFd >= 0)
        ::close(m_subFd);
    if (m_fd >= 0)
        ::close(m_fd);
}

int DiskFolders::folderFd(const QString &folder)
{
    if (folder != m_folder || (m_fd < 0 && m_folderError == 0)) {
        if (m_subFd >= 0)
            ::close(m_subFd);
        if (m_fd >= 0)
            ::close(m_fd);
        m_subFd = -1;
        m_subName.clear();
        m_index.reset();
        m_folder = folder;
        // The folder the user chose may itself be reached through a link; it is followed this
        // once, and from then on every name is looked up inside the folder it led to.
        m_fd = ::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        m_folderError = m_fd < 0 ? errno : 0;
    }
    errno = m_folderError;
    return m_fd;
}

int DiskFolders::subFolderFd(const QString &name)
{
    if (name != m_subName || (m_subFd < 0 && m_subError == 0)) {
        if (m_subFd >= 0)
            ::close(m_subFd);
        m_subName = name;
        // A link put in the folder's place is refused, not followed.
        m_subFd = ::openat(
            m_fd, encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        m_subError = m_subFd < 0 ? errno : 0;
    }
    return m_subFd;
}

std::optional<bool> DiskFolders::isFolderAt(const QString &name)
{
    struct stat info
    { };
    if (m_calls.lstat(m_fd, encodeName(name).constData(), &info) != 0)
        return std::nullopt;
    return S_ISDIR(info.st_mode);
}

std::optional<FolderEntry> DiskFolders::findEntry(const QString &folder, const QString &name)
{
    if (!isUsableFolderName(name) || folderFd(folder) < 0)
        return std::nullopt;
    if (const auto isFolder = isFolderAt(name))
        return FolderEntry {name, *isFolder};

    // The listing may be older than the folder: only names that still stand there count,
    // and a folder is preferred to a file of the same folded name.
    std::optional<FolderEntry> found;
    const QStringList candidates = index().foldMatches(name);
    for (const QString &candidate : candidates) {
        const auto isFolder = isFolderAt(candidate);
        if (!isFolder)
            continue;
        if (*isFolder)
            return FolderEntry {candidate, true};
        if (!found)
            found = FolderEntry {candidate, false};
    }
    return found;
}

bool DiskFolders::createFolder(const QString &folder, const QString &name)
{
    if (!isUsableFolderName(name)) {
        errno = EINVAL;
        return false;
    }
    if (folderFd(folder) < 0)
        return false;
    if (m_calls.mkdir(m_fd, encodeName(name).constData(), 0777) != 0)
        return false; // errno is mkdir's
    index().add(name);
    return true;
}

MoveResult DiskFolders::moveInto(
    const QString &folder, const QString &file, const QString &subFolder)
{
    if (!isPlainEntryName(file) || !isUsableFolderName(subFolder))
        return {EINVAL};
    if (folderFd(folder) < 0)
        return {m_folderError};
    if (subFolderFd(subFolder) < 0)
        return {m_subError};
    const QByteArray name = encodeName(file);
    // The file as it is now: the move takes only this one, and its kind decides whether it goes.
    struct stat info
    { };
    if (m_calls.lstat(m_fd, name.constData(), &info) != 0)
        return {errno != 0 ? errno : EIO};
    if (S_ISLNK(info.st_mode) && !hasAbsoluteTarget(m_fd, name))
        return {.linkWouldBreak = true};
    return moveNoReplaceAt(m_fd, name.constData(), m_subFd, name.constData(), info, m_calls);
}

EntryIndex &DiskFolders::index()
{
    if (!m_index) {
        QStringList names;
        for (const ListedEntry &entry : visibleEntriesAt(m_fd).value_or(QList<ListedEntry>()))
            names.append(entry.name);
        m_index.emplace(names);
    }
    return *m_index;
}

} // namespace arvelo
