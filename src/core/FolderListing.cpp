#include "core/FolderListing.h"

#include "core/ListOrder.h"
#include "core/NameCodec.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace arvelo {

namespace {

// The names of the entries of one type (S_IFREG or S_IFDIR, links followed) in the folder open
// as `folder` (which stays open) that do not begin with ".", unsorted, without "." and "..";
// the other names are not even decoded. Nothing when the folder cannot be read in full.
std::optional<QStringList> visibleNamesAt(int folder, mode_t only)
{
    const Listing listing = openListing(folder);
    if (!listing)
        return std::nullopt;
    QStringList names;
    for (;;) {
        // Only readdir's own errno tells an end from a failure.
        errno = 0;
        const dirent *entry = ::readdir(listing.get());
        if (!entry)
            break;
        // A leading "." hides a name, and leaves out "." and ".." too.
        if (entry->d_name[0] == '.')
            continue;
        // Links count as what they lead to; a link to nothing counts as neither.
        const bool look = entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
        struct stat info = {};
        if (look && ::fstatat(folder, entry->d_name, &info, 0) != 0)
            continue;
        if (((look ? info.st_mode : DTTOIF(entry->d_type)) & S_IFMT) != only)
            continue;
        // The name's own length: FUSE drivers for exFAT and NTFS give names longer than the
        // array is declared.
        names.append(decodeName(QByteArrayView(entry->d_name, std::strlen(entry->d_name))));
    }
    // A folder that could only be read in part is not passed off as read.
    if (errno != 0)
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
        = fd.isOpen() ? visibleNamesAt(fd.get(), S_IFREG) : std::nullopt;
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
    return visibleNamesAt(dir, S_IFDIR);
}

} // namespace arvelo
