#pragma once

#include "core/ArtistName.h"
#include "core/ListOrder.h"
#include "core/ListedFolder.h"

#include <QStringList>

#include <optional>

namespace arvelo {

// The artist list of a scan: one display name for every artist key that at least two
// candidates share, taken from the earliest of them in workList's order. Two keys that
// beautify to the same text give that text once. Entries come in order of discovery.
QStringList groupArtists(const QStringList &workList, KeyOptions options);

// What a scan leaves: its work list (List3) and its artist list (List1), both in list order.
struct ScanOutcome
{
    QStringList workList;
    QStringList artists;
};

// The whole scan of the folder that was listed, on any thread: its sub-folders when asked for,
// with `files` (already in list order, as the file list holds them), then the artists. Nothing
// when the folder has changed since it was listed, or the sub-folders are asked for and it
// cannot be read.
std::optional<ScanOutcome> scanFolder(const ListedFolder &folder, const QStringList &files,
    bool withSubFolders, KeyOptions options, const ListOrder &order = ListOrder());

} // namespace arvelo
