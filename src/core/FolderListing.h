#pragma once

#include "core/ListedFolder.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

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
