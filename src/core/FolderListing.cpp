#include "core/FolderListing.h"

#include "core/NameCodec.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace arvelo {

namespace {

EntryKind kindOf(unsigned char type)
{
    return type == DT_DIR ? EntryKind::Folder : type == DT_REG ? EntryKind::File : EntryKind::Other;
}

std::optional<QList<ListedEntry>> entriesOf(int fd, std::optional<EntryKind> only = {});

std::optional<QStringList> namesOfKind(const QString &folder, EntryKind kind)
{
    const std::optional<QList<ListedEntry>> entries = folder.isEmpty()
        ? std::nullopt
        : entriesOf(
            ::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), kind);
    if (!entries)
        return std::nullopt;
    QStringList names;
    names.reserve(entries->size());
    for (const ListedEntry &entry : *entries) {
        if (entry.kind == kind)
            names.append(entry.name);
    }
    return names;
}

// Lists the folder open as fd, and closes it; with `only`, just the entries of that kind, and
// no other name is decoded.
std::optional<QList<ListedEntry>> entriesOf(int fd, std::optional<EntryKind> only)
{
    if (fd < 0)
        return std::nullopt;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return std::nullopt;
    }
    QList<ListedEntry> entries;
    for (;;) {
        // Only readdir's own errno tells an end from a failure.
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry)
            break;
        // A leading "." hides a name, and leaves out "." and ".." too.
        if (entry->d_name[0] == '.')
            continue;
        EntryKind kind = kindOf(entry->d_type);
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Links count as what they lead to.
            struct stat info
            { };
            kind = ::fstatat(fd, entry->d_name, &info, 0) != 0 ? EntryKind::Other
                : S_ISDIR(info.st_mode)                        ? EntryKind::Folder
                : S_ISREG(info.st_mode)                        ? EntryKind::File
                                                               : EntryKind::Other;
        }
        if (only && kind != *only)
            continue;
        // The name's own length: FUSE drivers for exFAT and NTFS give names longer than the
        // array is declared.
        entries.append(
            {decodeName(QByteArrayView(entry->d_name, std::strlen(entry->d_name))), kind});
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    // A folder that could only be read in part is not passed off as read.
    if (!complete)
        return std::nullopt;
    return entries;
}

} // namespace

std::optional<QList<ListedEntry>> visibleEntries(const QString &folder)
{
    if (folder.isEmpty())
        return std::nullopt;
    // The system's own listing: Qt's would skip names that are not valid UTF-8.
    return entriesOf(::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::optional<QList<ListedEntry>> visibleEntriesAt(int dir, std::optional<EntryKind> only)
{
    return entriesOf(::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC), only);
}

bool isReadableFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const int fd = ::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::optional<QStringList> visibleFileNames(const QString &folder)
{
    std::optional<ListedFiles> listed = listFiles(folder);
    if (!listed)
        return std::nullopt;
    return std::move(listed->names);
}

std::optional<ListedFiles> listFiles(const QString &folder)
{
    if (folder.isEmpty())
        return std::nullopt;
    const int fd = ::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const FileId id = FileId::of(fd);
    std::optional<QList<ListedEntry>> entries = entriesOf(fd);
    if (!entries)
        return std::nullopt;
    ListedFiles listed {{}, id};
    listed.names.reserve(entries->size());
    for (const ListedEntry &entry : std::as_const(*entries)) {
        if (entry.kind == EntryKind::File)
            listed.names.append(entry.name);
    }
    return listed;
}

std::optional<QStringList> subFolderNames(const QString &folder)
{
    return namesOfKind(folder, EntryKind::Folder);
}

} // namespace arvelo
