#include "core/FolderListing.h"

#include "core/ListOrder.h"
#include "core/NameCodec.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace arvelo {

namespace {

// What a visible entry of a folder is, links followed: a file, a folder, or anything else
// (a link to nothing, a socket, a device).
enum class EntryKind { File, Folder, Other };

EntryKind kindOf(unsigned char type)
{
    return type == DT_DIR ? EntryKind::Folder : type == DT_REG ? EntryKind::File : EntryKind::Other;
}

// The names of the entries of one kind in the folder open as `folder` (which stays open) that
// do not begin with ".", unsorted, without "." and ".."; the other names are not even decoded.
// Nothing when the folder cannot be read in full.
std::optional<QStringList> visibleNamesAt(int folder, EntryKind only)
{
    // A descriptor of its own, which the listing closes.
    UniqueFd fd = openFolder(folder, ".");
    DIR *dir = fd.isOpen() ? ::fdopendir(fd.get()) : nullptr;
    if (!dir)
        return std::nullopt;
    fd.release();
    QStringList names;
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
        if (kind != only)
            continue;
        // The name's own length: FUSE drivers for exFAT and NTFS give names longer than the
        // array is declared.
        names.append(decodeName(QByteArrayView(entry->d_name, std::strlen(entry->d_name))));
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    // A folder that could only be read in part is not passed off as read.
    if (!complete)
        return std::nullopt;
    return names;
}

} // namespace

bool isReadableFolder(const QString &folder)
{
    return openChosenFolder(folder).isOpen();
}

std::optional<ListedFiles> listFiles(const QString &folder)
{
    const UniqueFd fd = openChosenFolder(folder);
    std::optional<QStringList> names
        = fd.isOpen() ? visibleNamesAt(fd.get(), EntryKind::File) : std::nullopt;
    if (!names)
        return std::nullopt;
    ListOrder().sort(*names);
    return ListedFiles {std::move(*names), FileId::of(fd.get())};
}

std::optional<QStringList> subFolderNames(const QString &folder)
{
    const UniqueFd fd = openChosenFolder(folder);
    return fd.isOpen() ? subFolderNamesAt(fd.get()) : std::nullopt;
}

std::optional<QStringList> subFolderNamesAt(int dir)
{
    return visibleNamesAt(dir, EntryKind::Folder);
}

} // namespace arvelo
