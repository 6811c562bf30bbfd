#include "core/FolderListing.h"

#include "core/ListOrder.h"
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

} // namespace

std::optional<QList<ListedEntry>> visibleEntriesAt(int folder, std::optional<EntryKind> only)
{
    // A descriptor of its own, which the listing closes.
    UniqueFd fd = openFolder(folder, ".");
    DIR *dir = fd.isOpen() ? ::fdopendir(fd.get()) : nullptr;
    if (!dir)
        return std::nullopt;
    fd.release();
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
            kind = ::fstatat(folder, entry->d_name, &info, 0) != 0 ? EntryKind::Other
                : S_ISDIR(info.st_mode)                            ? EntryKind::Folder
                : S_ISREG(info.st_mode)                            ? EntryKind::File
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

bool isReadableFolder(const QString &folder)
{
    return openChosenFolder(folder).isOpen();
}

std::optional<ListedFiles> listFiles(const QString &folder)
{
    const UniqueFd fd = openChosenFolder(folder);
    const std::optional<QList<ListedEntry>> entries
        = fd.isOpen() ? visibleEntriesAt(fd.get()) : std::nullopt;
    if (!entries)
        return std::nullopt;
    ListedFiles listed {{}, FileId::of(fd.get())};
    listed.names.reserve(entries->size());
    for (const ListedEntry &entry : std::as_const(*entries)) {
        if (entry.kind == EntryKind::File)
            listed.names.append(entry.name);
    }
    ListOrder().sort(listed.names);
    return listed;
}

std::optional<QStringList> subFolderNames(const QString &folder)
{
    const UniqueFd fd = openChosenFolder(folder);
    return fd.isOpen() ? subFolderNamesAt(fd.get()) : std::nullopt;
}

std::optional<QStringList> subFolderNamesAt(int dir)
{
    const std::optional<QList<ListedEntry>> entries = visibleEntriesAt(dir, EntryKind::Folder);
    if (!entries)
        return std::nullopt;
    QStringList names;
    names.reserve(entries->size());
    for (const ListedEntry &entry : *entries)
        names.append(entry.name);
    return names;
}

} // namespace arvelo
