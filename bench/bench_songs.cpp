// One artist's songs out of a large file list: the work of a click in the artist list.
#include "bench.h"
#include "synthetic.h"

#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
#include "widgets/SortedListBox.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void songsSection(QList<bench::Row> &rows)
{
    const bench::SongFolder folder = bench::songFolder(100'000, 0);
    const QStringList artists = arvelo::groupArtists(folder.files, {});
    if (artists.isEmpty())
        qFatal("no artist in the synthetic folder");
    // The slowest click is the one whose artist has the most songs; take a middle one too.
    const QString artist = artists.at(artists.size() / 2);

    arvelo::SortedListBox list2;
    double worst = 0;
    for (int run = 0; run < 3; ++run) {
        worst = std::max(worst, bench::secondsFor([&] {
            list2.setItemsInOrder(arvelo::songList(folder.files, artist));
        }));
    }
    rows.append({u"one artist's songs, 100,000 files (%1 songs)"_s.arg(list2.ListCount()),
        bench::seconds(worst), u"<= 0.05 s"_s});
}

const bench::Registration registration(200, songsSection);

} // namespace
