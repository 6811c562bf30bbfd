#pragma once

#include "core/ListedFolder.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// What a visible entry of a folder is, links followed: a file, a folder, or anything else
// (a link to nothing, a socket, a device).
enum class EntryKind { File, Folder, Other };

struct ListedEntry
{
    QString name;
    EntryKind kind = EntryKind::Other;
};

// The entries of the folder open as `dir` (which stays open) whose names do not begin with ".",
// unsorted, without "." and ".."; with `only`, just the entries of that kind (the other names
// are not even decoded). Nothing when the folder cannot be read in full.
std::optional<QList<ListedEntry>> visibleEntriesAt(int dir, std::optional<EntryKind> only = {});

// A folder that can be opened for reading.
bool isReadableFolder(const QString &folder);

// The visible files (regular files and links to them) of a folder, in list order, and which
// folder they were read from; nothing when it cannot be read. The window and the command line
// both list them from here.
struct ListedFiles
{
    QStringList names;
    FileId folder;
};
std::optional<ListedFiles> listFiles(const QString &folder);

// The visible sub-folders (links to folders included) of a folder, unsorted.
std::optional<QStringList> subFolderNames(const QString &folder);
// The same for the folder open as dir, which stays open.
std::optional<QStringList> subFolderNamesAt(int dir);

} // namespace arvelo
