#include "core/ArtistScan.h"

#include "core/FolderListing.h"
#include "core/Module1.h"

#include <QHash>
#include <QSet>

namespace arvelo {

QStringList groupArtists(const QStringList &workList, KeyOptions options)
{
    // Per key: 1 + the earliest candidate's position, 0 for a key not seen yet, -1 once the
    // artist is listed; one lookup per candidate.
    QHash<QString, qsizetype> firstByKey;
    firstByKey.reserve(workList.size());
    QSet<QString> listed;
    QStringList result;

    for (qsizetype i = 0; i < workList.size(); ++i) {
        qsizetype &first = firstByKey[artistKey(workList.at(i), options)];
        if (first == 0) {
            first = i + 1;
            continue;
        }
        if (first < 0)
            continue;
        // Second candidate of this key: the artist qualifies, named after the earliest one.
        const QString display = Module1::BeautifyName(artistPart(workList.at(first - 1)));
        first = -1;
        if (!listed.contains(display)) {
            listed.insert(display);
            result.append(display);
        }
    }
    return result;
}

std::optional<ScanOutcome> scanFolder(const ListedFolder &folder, const QStringList &files,
    bool withSubFolders, KeyOptions options, const ListOrder &order)
{
    // Nothing of another folder is mixed into what was listed.
    if (folder.changed())
        return std::nullopt;
    ScanOutcome outcome;
    if (withSubFolders) {
        std::optional<QStringList> folders = subFolderNamesAt(folder.fd());
        if (!folders)
            return std::nullopt;
        // The files are in order already; only the few folders need sorting.
        outcome.workList = order.merged(files, std::move(*folders));
    } else {
        outcome.workList = files;
    }
    outcome.artists = groupArtists(outcome.workList, options);
    order.sort(outcome.artists);
    return outcome;
}

} // namespace arvelo
