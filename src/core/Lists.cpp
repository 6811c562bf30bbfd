#include "core/Lists.h"

#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
#include "core/ListOrder.h"

namespace arvelo {

namespace {

QStringList inListOrder(QStringList items)
{
    ListOrder().sort(items);
    return items;
}

} // namespace

std::optional<ListedFiles> listedFiles(const QString &folder)
{
    std::optional<ListedFiles> files = listFiles(folder);
    if (files)
        ListOrder().sort(files->names);
    return files;
}

std::optional<ScanLists> scanLists(
    const ListedFolder &folder, const QStringList &files, bool withSubFolders, KeyOptions options)
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
