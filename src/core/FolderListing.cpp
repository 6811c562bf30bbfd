#include "core/FolderListing.h"

#include "core/NameCodec.h"

#include <cerrno>
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

// Hands each visible entry of the folder open as fd to `take` with its kind, then closes the
// folder; false when it could not be read in full.
template<typename Take>
bool forEachVisible(int fd, Take take)
{
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
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
        take(entry->d_name, kind);
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    return complete;
}

int openFolder(const QString &folder)
{
    // The system's own listing: Qt's would skip names that are not valid UTF-8.
    return folder.isEmpty()
        ? -1
        : ::open(encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

std::optional<QList<ListedEntry>> entriesOf(int fd)
{
    QList<ListedEntry> entries;
    const bool complete = forEachVisible(fd, [&entries](const char *name, EntryKind kind) {
        entries.append({decodeName(QByteArrayView(name)), kind});
    });
    // A folder that could only be read in part is not passed off as read.
    if (!complete)
        return std::nullopt;
    return entries;
}

// Only the names of entries of that kind are decoded: a folder of songs is mostly files.
std::optional<QStringList> namesOfKind(const QString &folder, EntryKind wanted)
{
    QStringList names;
    const bool complete
        = forEachVisible(openFolder(folder), [&names, wanted](const char *name, EntryKind kind) {
              if (kind == wanted)
                  names.append(decodeName(QByteArrayView(name)));
          });
    if (!complete)
        return std::nullopt;
    return names;
}

} // namespace

std::optional<QList<ListedEntry>> visibleEntries(const QString &folder)
{
    return entriesOf(openFolder(folder));
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
    return namesOfKind(folder, EntryKind::File);
}

std::optional<QStringList> subFolderNames(const QString &folder)
{
    return namesOfKind(folder, EntryKind::Folder);
}

} // namespace arvelo
