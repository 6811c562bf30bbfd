#pragma once

#include "core/ArtistName.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// What the program's lists show, in their order (ListOrder). The window and the command line
// both take them from here, so that they list the same names in the same order.

// The file list: the visible files of a folder; nothing when it cannot be read.
std::optional<QStringList> listedFiles(const QString &folder);

struct ScanLists
{
    // The candidates: the sub-folders when asked for, and the files.
    QStringList workList;
    // The artists that Scan lists.
    QStringList artists;
};

// A scan of folder, whose file list is files; nothing when its sub-folders are asked for and
// cannot be read.
std::optional<ScanLists> scanLists(
    const QString &folder, const QStringList &files, bool withSubFolders, KeyOptions options);

// The song view: the titles of the files that belong to the listed artist.
QStringList songList(const QStringList &files, const QString &artist);

} // namespace arvelo
