// The scan at scale: reading a folder into the file list, then the whole scan the way the
// window runs it (work list, keys, groups, artist list).
#include "bench.h"
#include "synthetic.h"

#include "core/ArtistScan.h"
#include "core/FolderListing.h"
#include "widgets/FileList.h"

#include <QLocale>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Median of a few runs: a shared machine makes single runs jumpy.
double medianSeconds(const std::function<void()> &work)
{
    std::array<double, 3> runs {};
    for (double &run : runs)
        run = bench::secondsFor(work);
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

void scanSection(QList<bench::Row> &rows)
{
    const QLocale english(QLocale::English);
    for (const qsizetype files : {1'000, 10'000, 100'000}) {
        const qsizetype folders = files / 100;
        const bool atTarget = files == 100'000;
        const auto folder = bench::makeSongFolder(files, folders);

        arvelo::FileList file1;
        const double fill = medianSeconds([&] { file1.setPath(folder->path()); });
        if (file1.ListCount() != files)
            qFatal("file list holds %d of %lld files", file1.ListCount(), qint64(files));
        rows.append({u"file-list fill, "_s + english.toString(files) + u" files"_s,
            bench::seconds(fill), atTarget ? u"<= 0.5 s"_s : QString()});
        // What another program's change costs: the same folder again, selection kept.
        file1.setListIndex(int(files / 2));
        const double reread = medianSeconds([&] { file1.reread(); });
        if (file1.ListIndex() != files / 2)
            qFatal("the re-read lost the selection");
        rows.append({u"file-list re-read, "_s + english.toString(files) + u" files"_s,
            bench::seconds(reread), atTarget ? u"<= 0.5 s"_s : QString()});

        arvelo::SortedListBox list3;
        arvelo::SortedListBox list1;
        const arvelo::KeyOptions options; // as at start-up: both on
        const double scan = medianSeconds([&] {
            list1.Clear();
            list3.Clear();
            list3.setItems(
                arvelo::scanCandidates(file1.Path(), file1.items(), true).value_or(QStringList()));
            list1.setItems(arvelo::groupArtists(list3.items(), options));
        });
        rows.append(
            {u"scan, "_s + english.toString(files) + u" files + "_s + english.toString(folders)
                    + u" folders ("_s + english.toString(list1.ListCount()) + u" artists)"_s,
                bench::seconds(scan), atTarget ? u"<= 0.5 s"_s : QString()});
    }
}

const bench::Registration registration(100, scanSection);

} // namespace
