#include "core/FolderListing.h"

#include <QDirIterator>
#include <QFileInfo>

namespace arvelo {

namespace {

std::optional<QStringList> namesOfKind(const QString &folder, EntryKind kind)
{
    const std::optional<QList<ListedEntry>> entries = visibleEntries(folder);
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

} // namespace

std::optional<QList<ListedEntry>> visibleEntries(const QString &folder)
{
    // The iterator reports an unreadable folder as an empty one; tell them apart first.
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return std::nullopt;
    QList<ListedEntry> entries;
    // Without QDir::Hidden, names beginning with "." are left out.
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        const EntryKind kind = entry.isDir() ? EntryKind::Folder
            : entry.isFile()                 ? EntryKind::File
                                             : EntryKind::Other;
        entries.append({entry.fileName(), kind});
    }
    return entries;
}

std::optional<QStringList> visibleFileNames(const QString &folder)
{
    return namesOfKind(folder, EntryKind::File);
}

std::optional<QStringList> subFolderNames(const QString &folder)
{
    return namesOfKind(folder, EntryKind::Folder);
}

std::optional<QStringList> scanCandidates(
    const QString &folder, const QStringList &files, bool withSubFolders)
{
    QStringList candidates;
    if (withSubFolders) {
        std::optional<QStringList> folders = subFolderNames(folder);
        if (!folders)
            return std::nullopt;
        candidates = std::move(*folders);
    }
    candidates += files;
    return candidates;
}

} // namespace arvelo
