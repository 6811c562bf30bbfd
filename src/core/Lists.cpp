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
    return scanFolder(folder, files, withSubFolders, options, ListOrder());
}

QStringList songList(const QStringList &files, const QString &artist)
{
    return inListOrder(songTitles(files, artist));
}

} // namespace arvelo
