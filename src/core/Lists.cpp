#include "core/Lists.h"

#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
#include "core/FolderListing.h"
#include "core/ListOrder.h"

namespace arvelo {

namespace {

QStringList inListOrder(QStringList items)
{
    ListOrder().sort(items);
    return items;
}

} // namespace

std::optional<QStringList> listedFiles(const QString &folder)
{
    std::optional<QStringList> files = visibleFileNames(folder);
    if (files)
        ListOrder().sort(*files);
    return files;
}

std::optional<ScanLists> scanLists(
    const QString &folder, const QStringList &files, bool withSubFolders, KeyOptions options)
{
    std::optional<QStringList> candidates = scanCandidates(folder, files, withSubFolders);
    if (!candidates)
        return std::nullopt;
    // The scan names each artist after its earliest candidate in the work list's order.
    ScanLists lists;
    lists.workList = inListOrder(std::move(*candidates));
    lists.artists = inListOrder(groupArtists(lists.workList, options));
    return lists;
}

QStringList songList(const QStringList &files, const QString &artist)
{
    return inListOrder(songTitles(files, artist));
}

} // namespace arvelo
