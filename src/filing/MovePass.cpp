#include "filing/MovePass.h"

#include "filing/ArtistFolders.h"
#include "filing/Module1.h"
#include "grouping/artist.h"

#include <QHash>
#include <QList>

#include <optional>

namespace arvelo {

namespace {

// The artist's folder name as given by one of its files; empty when that file gives none.
QString folderNameFrom(const QString &file, bool beautify)
{
    const QString part = artistPart(file);
    qsizetype begin = 0;
    while (begin < part.size() && part.at(begin) == Blank)
        ++begin;
    const QString name = part.sliced(begin);
    return withoutTrailingBlanks(beautify ? Module1::BeautifyName(name) : name);
}

// Path of the folder the artist's files go into; nothing when they must stay.
std::optional<QString> artistFolder(
    FolderAccess &folders, const QString &folder, const QString &name, MoveSummary &summary)
{
    if (!isUsableFolderName(name))
        return std::nullopt;
    if (const auto entry = folders.findEntry(folder, name)) {
        // A file or a link of that name stands where the folder should be: nothing moves.
        if (!entry->isFolder)
            return std::nullopt;
        return joinPath(folder, entry->name);
    }
    if (!folders.createFolder(folder, name))
        return std::nullopt;
    ++summary.foldersCreated;
    return joinPath(folder, name);
}

} // namespace

MoveSummary moveIntoArtistFolders(FolderAccess &folders, const QStringList &entries,
    const QString &folder, const QStringList &files, bool beautifyFolderNames)
{
    MoveSummary summary;
    if (folder.isEmpty() || entries.isEmpty())
        return summary;

    // Each file's artist is worked out once; each entry then reaches its own files directly.
    QHash<QString, QList<qsizetype>> filesOf;
    filesOf.reserve(files.size());
    for (qsizetype j = 0; j < files.size(); ++j)
        filesOf[Module1::BeautifyName(artistPart(files.at(j)))].append(j);

    for (const QString &entry : entries) {
        // Taken out, so an entry listed twice finds its files already handled.
        const QList<qsizetype> mine = filesOf.take(entry);
        std::optional<QString> target;
        bool named = false;
        for (const qsizetype j : mine) {
            const QString &file = files.at(j);
            if (!isPlainEntryName(file)) {
                ++summary.failed;
                continue;
            }
            if (!named) {
                // A file that gives no name leaves the naming to the artist's next file.
                const QString name = folderNameFrom(file, beautifyFolderNames);
                if (!name.isEmpty()) {
                    named = true;
                    target = artistFolder(folders, folder, name, summary);
                }
            }
            if (!target) {
                ++summary.failed;
                continue;
            }
            if (folders.moveNoReplace(joinPath(folder, file), joinPath(*target, file)).moved())
                ++summary.moved;
            else
                ++summary.failed;
        }
    }
    return summary;
}

} // namespace arvelo
