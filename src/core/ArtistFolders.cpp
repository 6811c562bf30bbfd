#include "core/ArtistFolders.h"

#include "core/ArtistName.h"
#include "core/NameCodec.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
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
    for (const QChar unit : name) {
        if (unit == u'/' || unit == u'\0')
            return false;
    }
    return !name.isEmpty() && name != u"."_s && name != u".."_s;
}

bool isUsableFolderName(const QString &name)
{
    return isPlainEntryName(name) && !name.startsWith(u'.');
}

QString foldedName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

namespace {

// The hash of a name's folded form; names of plain ASCII, most of them, are folded in line.
// Names with equal hashes are told apart by their folded forms.
quint32 foldedHash(QByteArrayView name)
{
    QVarLengthArray<char, 256> lower(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name.at(i);
        if (static_cast<unsigned char>(c) >= 0x80)
            return quint32(qHash(QByteArrayView(encodeName(foldedName(decodeName(name))))));
        lower[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    return quint32(qHash(QByteArrayView(lower.constData(), lower.size())));
}

} // namespace

void EntryIndex::reserve(qsizetype entries, qsizetype bytes)
{
    // A folder holds more than the files listed: its sub-folders, and what came since.
    m_byHash.reserve(size_t(entries + entries / 8 + 16));
    m_names.reserve(bytes + bytes / 8 + 4096);
}

void EntryIndex::add(QByteArrayView name)
{
    // Offsets have 32 bits: a folder whose names come to more than 4 GB is indexed in part,
    // and lookups go by the exact name beyond that.
    if (name.startsWith('.') || name.contains(Separator.toLatin1())
        || m_names.size() + name.size() >= qsizetype(std::numeric_limits<quint32>::max()))
        return;
    m_byHash.emplace_back(foldedHash(name), quint32(m_names.size()));
    m_names.append(name);
    m_names.append('\0');
}

void EntryIndex::finish()
{
    // Not shrunk: that would copy the index, and for a moment hold it twice.
    std::sort(m_byHash.begin(), m_byHash.end());
    m_finished = true;
}

void EntryIndex::add(const QString &name)
{
    if (!m_finished) {
        add(QByteArrayView(encodeName(name)));
        return;
    }
    if (name.startsWith(u'.'))
        return;
    QStringList &same = m_made[foldedName(name)];
    if (!same.contains(name))
        same.append(name);
}

QStringList EntryIndex::foldMatches(const QString &name) const
{
    const QString folded = foldedName(name);
    QStringList found = m_made.value(folded);
    const quint32 hash = foldedHash(encodeName(name));
    auto at = std::lower_bound(m_byHash.cbegin(), m_byHash.cend(), std::pair(hash, quint32(0)));
    for (; at != m_byHash.cend() && at->first == hash; ++at) {
        // Equal hashes are checked name by name.
        const QString candidate = decodeName(QByteArrayView(m_names.constData() + at->second));
        if (foldedName(candidate) == folded && !found.contains(candidate))
            found.append(candidate);
    }
    found.sort();
    return found;
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
    if (m_listing)
        ::closedir(m_listing);
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
        if (m_listing)
            ::closedir(m_listing);
        m_listing = nullptr;
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
    // Just looked at by needsPreparing, or looked at now.
    std::optional<bool> exact;
    if (m_exact && m_exact->first == name)
        exact = m_exact->second;
    m_exact.reset();
    if (!exact)
        exact = isFolderAt(name);
    if (exact)
        return FolderEntry {name, *exact};

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

LookedFile FolderAccess::look(const QString &folder, const QString &file)
{
    Q_UNUSED(folder);
    return {encodeName(file)};
}

MoveResult FolderAccess::moveLooked(const QString &folder, const LookedFile &file,
    const QString &fileName, const QString &subFolder)
{
    Q_UNUSED(file);
    return moveInto(folder, fileName, subFolder);
}

MoveResult DiskFolders::moveInto(
    const QString &folder, const QString &file, const QString &subFolder)
{
    return moveLooked(folder, look(folder, file), file, subFolder);
}

LookedFile DiskFolders::look(const QString &folder, const QString &file)
{
    LookedFile looked {encodeName(file)};
    if (!isPlainEntryName(file) || folderFd(folder) < 0)
        return looked;
    looked.error = m_calls.lstat(m_fd, looked.name.constData(), &looked.info) == 0 ? 0
        : errno != 0                                                               ? errno
                                                                                   : EIO;
    return looked;
}

MoveResult DiskFolders::moveLooked(const QString &folder, const LookedFile &file,
    const QString &fileName, const QString &subFolder)
{
    if (!isPlainEntryName(fileName) || !isUsableFolderName(subFolder))
        return {EINVAL};
    if (folderFd(folder) < 0)
        return {m_folderError};
    if (subFolderFd(subFolder) < 0)
        return {m_subError};
    // The file as it was looked at: the move takes only this one, and its kind decides whether
    // it goes.
    if (file.error != 0)
        return {file.error};
    if (S_ISLNK(file.info.st_mode) && !hasAbsoluteTarget(m_fd, file.name))
        return {.linkWouldBreak = true};
    return moveNoReplaceAt(
        m_fd, file.name.constData(), m_subFd, file.name.constData(), file.info, m_calls);
}

bool DiskFolders::prepare(
    const QString &folder, qsizetype entries, qsizetype nameBytes, QDeadlineTimer deadline)
{
    if (folderFd(folder) < 0 || (m_index && !m_listing))
        return true;
    if (!m_index) {
        m_index.emplace();
        m_index->reserve(entries, nameBytes);
        const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        m_listing = fd < 0 ? nullptr : ::fdopendir(fd);
        if (!m_listing) {
            if (fd >= 0)
                ::close(fd);
            m_index->finish();
            return true;
        }
    }
    // Looking at the clock costs more than indexing a name.
    constexpr int Batch = 256;
    for (;;) {
        for (int k = 0; k < Batch; ++k) {
            const dirent *entry = ::readdir(m_listing);
            if (!entry) {
                // The end, or a folder that could not be read in full: lookups go by what was
                // read, and by the exact name, which never needs the index.
                ::closedir(m_listing);
                m_listing = nullptr;
                m_index->finish();
                return true;
            }
            // Read whole: some file systems give names longer than d_name's declared size.
            m_index->add(QByteArrayView(entry->d_name, qsizetype(std::strlen(entry->d_name))));
        }
        if (deadline.hasExpired())
            return false;
    }
}

bool DiskFolders::needsPreparing(const QString &folder, const QString &name)
{
    if (!isUsableFolderName(name) || folderFd(folder) < 0 || (m_index && !m_listing))
        return false;
    const std::optional<bool> isFolder = isFolderAt(name);
    if (!isFolder)
        return true;
    m_exact.emplace(name, *isFolder);
    return false;
}

EntryIndex &DiskFolders::index()
{
    // Not prepared beforehand (or cut short): done now, in one go.
    while (!prepare(m_folder, 0, 0, QDeadlineTimer(QDeadlineTimer::Forever))) { }
    if (!m_index) {
        m_index.emplace();
        m_index->finish();
    }
    return *m_index;
}

} // namespace arvelo
