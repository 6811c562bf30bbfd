#pragma once

#include <QString>
#include <QStringList>

namespace arvelo {

class FolderAccess;

// What a pass did; the window may ignore it.
struct MoveSummary
{
    qsizetype moved = 0;
    // Files that belong to a listed artist but stayed where they were.
    qsizetype failed = 0;
    qsizetype foldersCreated = 0;
};

// Moves the files of `folder` into one sub-folder per artist entry. A file belongs to an entry
// when the beautified artist part of its name equals the entry. The entry's folder is named at
// its first file, in file order: the beautified artist part when beautifyFolderNames is set,
// else the artist part as written less its leading blanks; trailing blanks never count. An
// existing entry of that name (or of that name in another case) is used, else the folder is
// created. Nothing is ever replaced, and nothing outside `folder` is touched.
MoveSummary moveIntoArtistFolders(FolderAccess &folders, const QStringList &entries,
    const QString &folder, const QStringList &files, bool beautifyFolderNames);

} // namespace arvelo
