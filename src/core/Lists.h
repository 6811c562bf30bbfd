#pragma once

#include "core/ArtistName.h"
#include "core/ArtistScan.h"
#include "core/FolderListing.h"
#include "core/ListedFolder.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// What the program's lists show, in their order (ListOrder). The window and the command line
// both take them from here, so that they list the same names in the same order.

// The file list: the visible files of a folder, and which folder they were read from; nothing
// when it cannot be read.
std::optional<ListedFiles> listedFiles(const QString &folder);

// The candidates (List3) and the artists that Scan lists (List1).
using ScanLists = ScanOutcome;

// A scan of the listed folder, whose file list is files; nothing when its sub-folders are asked
// for and cannot be read, or when it has changed since it was listed.
std::optional<ScanLists> scanLists(
    const ListedFolder &folder, const QStringList &files, bool withSubFolders, KeyOptions options);

// The song view: the titles of the files that belong to the listed artist.
QStringList songList(const QStringList &files, const QString &artist);

} // namespace arvelo
