#include "core/PlannedFolders.h"

#include "core/NameCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace arvelo {

namespace {

// The error that would keep the move from adding or removing names in folder, or 0.
int notWritable(const QString &folder)
{
    return ::faccessat(AT_FDCWD, encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0
        ? 0
        : errno;
}

// The error of looking at path without following a link, or 0 when something stands there.
int lookAt(const QString &path)
{
    struct stat info
    { };
    return ::fstatat(AT_FDCWD, encodeName(path).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
        ? 0
        : errno;
}

} // namespace

std::optional<FolderEntry> PlannedFolders::findEntry(const QString &folder, const QString &name)
{
    // The folders created by the move would be among the entries it finds, as on the disk:
    // exactly that name first, then a folder of the same folded name in code-unit order.
    if (m_plannedNames.contains(name))
        return FolderEntry {name, true};
    std::optional<FolderEntry> found = m_disk.findEntry(folder, name);
    if (found && found->name == name)
        return found;
    const QStringList planned = m_planned.foldMatches(name);
    if (planned.isEmpty() || (found && found->isFolder && found->name < planned.first()))
        return found;
    return FolderEntry {planned.first(), true};
}

bool PlannedFolders::createFolder(const QString &folder, const QString &name)
{
    if (!isUsableFolderName(name) || notWritable(folder) != 0)
        return false;
    m_planned.add(name);
    m_plannedNames.insert(name);
    return true;
}

MoveResult PlannedFolders::moveInto(
    const QString &folder, const QString &file, const QString &subFolder)
{
    if (!isPlainEntryName(file) || !isUsableFolderName(subFolder))
        return {EINVAL};
    if (const int error = lookAt(joinPath(folder, file)))
        return {error};
    if (const int error = notWritable(folder))
        return {error};
    if (m_plannedNames.contains(subFolder))
        return {};
    const QString artistFolder = joinPath(folder, subFolder);
    const int taken = lookAt(joinPath(artistFolder, file));
    if (taken == 0)
        return {EEXIST};
    if (taken != ENOENT)
        return {taken};
    return {notWritable(artistFolder)};
}

} // namespace arvelo
