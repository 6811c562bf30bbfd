#include "core/ArtistFolders.h"

#include "core/ArtistName.h"
#include "core/NameCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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
    // One look at each unit: the move asks this of every file more than once.
    return !name.isEmpty() && name != u"."_s && name != u".."_s
        && std::ranges::none_of(name, [](QChar unit) { return unit == u'/' || unit == u'\0'; });
}

bool isUsableFolderName(const QString &name)
{
    return isPlainEntryName(name) && !name.startsWith(u'.');
}

QString foldedName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

void EntryIndex::add(QByteArrayView name)
{
    if (!name.startsWith('.') && !name.contains(Separator.toLatin1()))
        add(decodeName(name));
}

void EntryIndex::add(const QString &name)
{
    QStringList &same = m_byFolded[foldedName(name)];
    if (!same.contains(name))
        same.append(name);
}

QStringList EntryIndex::foldMatches(const QString &name) const
{
    QStringList found = m_byFolded.value(foldedName(name));
    found.sort();
    return found;
}

int ArtistFolder::open(int dir, const QString &name)
{
    if (name != m_name || (!m_fd.isOpen() && m_error == 0)) {
        m_name = name;
        // A link put in the folder's place is refused, not followed.
        m_fd = openFolder(dir, encodeName(name).constData());
        m_error = m_fd.isOpen() ? 0 : errno;
    }
    return m_fd.get();
}

DiskFolders::DiskFolders(ListedFolder folder, const MoveSyscalls &calls, Reserved reserved)
    : m_calls(!reserved
            ? calls
            : calls.tellingCreates([this, reserved](const struct stat &info, const char *name) {
                  reserved(info, m_sub.name(), name);
              }))
    , m_folder(std::move(folder))
{ }

std::optional<bool> DiskFolders::isFolderAt(const QString &name)
{
    struct stat info = {};
    if (m_calls.lstat(folderFd(), encodeName(name).constData(), &info) != 0)
        return std::nullopt;
    return S_ISDIR(info.st_mode);
}

FolderAccess::Found DiskFolders::findEntry(const QString &name, QDeadlineTimer deadline)
{
    if (!isUsableFolderName(name) || folderFd() < 0)
        return {};
    // Most artist folders are found as they are named, and the folder's names are never read.
    if (const std::optional<bool> exact = isFolderAt(name))
        return {true, FolderEntry {name, *exact}};
    if (!prepare(deadline))
        return {false, {}};
    // The listing may be older than the folder: only names that still stand there count,
    // and a folder is preferred to a file of the same folded name.
    Found found;
    for (const QString &candidate : index().foldMatches(name)) {
        const auto isFolder = isFolderAt(candidate);
        if (!isFolder)
            continue;
        if (*isFolder)
            return {true, FolderEntry {candidate, true}};
        if (!found.entry)
            found.entry = FolderEntry {candidate, false};
    }
    return found;
}

int DiskFolders::makeFolder(const QString &name)
{
    if (!isUsableFolderName(name))
        return EINVAL;
    if (folderFd() < 0)
        return m_folder.error();
    if (m_calls.mkdir(folderFd(), encodeName(name).constData(), 0777) != 0)
        return errno;
    index().add(name);
    return 0;
}

LookedFile DiskFolders::look(const QString &file)
{
    LookedFile looked {encodeName(file)};
    if (!isPlainEntryName(file) || folderFd() < 0)
        return looked;
    looked.error = m_calls.lstat(folderFd(), looked.name.constData(), &looked.info) == 0 ? 0
        : errno != 0                                                                     ? errno
                                                                                         : EIO;
    looked.relativeLink = looked.error == 0 && S_ISLNK(looked.info.st_mode)
        && !hasAbsoluteTarget(folderFd(), looked.name);
    return looked;
}

MoveResult DiskFolders::move(const LookedFile &file, const QString &subFolder)
{
    if (!isUsableFolderName(subFolder))
        return {EINVAL};
    if (folderFd() < 0)
        return {m_folder.error()};
    const int sub = m_sub.open(folderFd(), subFolder);
    if (sub < 0)
        return {m_sub.error()};
    // The file as it was looked at: the move takes only this one.
    if (file.error != 0)
        return {file.error};
    return moveNoReplaceAt(
        folderFd(), file.name.constData(), sub, file.name.constData(), file.info, m_calls);
}

bool DiskFolders::prepare(QDeadlineTimer deadline)
{
    if (m_index && !m_listing)
        return true;
    if (!m_index) {
        m_index.emplace();
        m_listing = openListing(folderFd());
    }
    // Looking at the clock costs more than indexing a name.
    constexpr int Batch = 256;
    for (int k = 1;; ++k) {
        const dirent *entry = m_listing ? ::readdir(m_listing.get()) : nullptr;
        if (!entry) {
            // The end, or a folder that could not be read (in full): lookups go by what was
            // read, and by the exact name, which never needs the index.
            m_listing.reset();
            return true;
        }
        // Read whole: some file systems give names longer than d_name's declared size.
        m_index->add(QByteArrayView(entry->d_name, qsizetype(std::strlen(entry->d_name))));
        if (k % Batch == 0 && deadline.hasExpired())
            return false;
    }
}

EntryIndex &DiskFolders::index()
{
    // Not prepared beforehand (or cut short): done now, in one go.
    while (!prepare(QDeadlineTimer(QDeadlineTimer::Forever))) { }
    return *m_index;
}

namespace {

// The error that would keep the move from adding or removing names in the folder open as dir.
int notWritable(int dir)
{
    return ::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

} // namespace

std::optional<bool> PlannedFolders::isFolderAt(const QString &name)
{
    return m_planned.contains(name) ? std::optional(true) : DiskFolders::isFolderAt(name);
}

int PlannedFolders::makeFolder(const QString &name)
{
    if (!isUsableFolderName(name))
        return EINVAL;
    if (const int error = folderFd() < 0 ? EBADF : notWritable(folderFd()))
        return error;
    m_planned.insert(name);
    index().add(name);
    return 0;
}

MoveResult PlannedFolders::move(const LookedFile &file, const QString &subFolder)
{
    if (!isUsableFolderName(subFolder))
        return {EINVAL};
    if (file.error != 0)
        return {file.error};
    if (const int error = notWritable(folderFd()))
        return {error};
    if (m_planned.contains(subFolder))
        return {};
    const int sub = m_sub.open(folderFd(), subFolder);
    if (sub < 0)
        return {m_sub.error()};
    struct stat info = {};
    if (::fstatat(sub, file.name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return {EEXIST};
    if (errno != ENOENT)
        return {errno};
    return {notWritable(sub)};
}

} // namespace arvelo
