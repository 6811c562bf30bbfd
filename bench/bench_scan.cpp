// The scan at scale, each beside a bare loop of the same work: reading a folder into the file
// list against a bare readdir and sort; the whole scan as the window runs it against a bare
// readdir, sort and hash grouping of the same names; the folder list against a bare readdir and
// sort of the sub-folders.
#include "bench.h"
#include "synthetic.h"
#include "windowscan.h"

#include "core/ArtistScan.h"
#include "widgets/FileList.h"
#include "widgets/FolderList.h"

#include <QDir>
#include <QHash>
#include <QLocale>

#include <dirent.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 5;

// The visible entries of a folder of the wanted types, as plain UTF-8, in code-unit order.
QStringList bareListing(const QString &folder, bool files, bool folders)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        qFatal("cannot read the bench folder");
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if ((files && entry->d_type == DT_REG) || (folders && entry->d_type == DT_DIR))
            names.append(QString::fromUtf8(entry->d_name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Artists that occur twice, by the upper-cased text before the first "-".
qsizetype bareGrouping(const QStringList &names)
{
    QHash<QString, qsizetype> count;
    count.reserve(names.size());
    qsizetype artists = 0;
    for (const QString &name : names) {
        const qsizetype cut = name.indexOf(u'-');
        if (++count[QStringView(name).first(cut < 0 ? name.size() : cut).toString().toUpper()] == 2)
            ++artists;
    }
    return artists;
}

void scanSection(QList<bench::Row> &rows)
{
    const QLocale english(QLocale::English);
    QList<qsizetype> sizes {1'000, 10'000, 100'000};
    if (bench::million())
        sizes.append(1'000'000);
    for (const qsizetype files : sizes) {
        const qsizetype folders = files / 100;
        const auto folder = bench::makeSongFolder(files, folders);

        arvelo::FileList file1;
        arvelo::SortedListBox list3;
        arvelo::SortedListBox list1;
        QList<double> fill, bareFill, scan, bareScan;
        // Taken in turns, so that a busy moment of the machine weighs on both alike.
        for (int round = 0; round < Rounds; ++round) {
            const std::array<std::function<void()>, 4> ways {
                [&] { fill.append(bench::secondsFor([&] { file1.setPath(folder->path()); })); },
                [&] {
                    bareFill.append(
                        bench::secondsFor([&] { bareListing(folder->path(), true, false); }));
                },
                [&] {
                    scan.append(bench::secondsFor([&] { bench::windowScan(file1, list3, list1); }));
                },
                [&] {
                    bareScan.append(bench::secondsFor(
                        [&] { bareGrouping(bareListing(folder->path(), true, true)); }));
                },
            };
            for (std::size_t k = 0; k < ways.size(); ++k)
                ways[(k + round) % ways.size()]();
        }
        if (file1.ListCount() != files)
            qFatal("file list holds %d of %lld files", file1.ListCount(), qint64(files));
        const bool atTarget = files >= 100'000;
        rows.append({u"file-list fill, "_s + english.toString(files) + u" files"_s,
            bench::beside(bench::median(fill), bench::median(bareFill)),
            atTarget ? u"<= 1.3 x bare readdir + sort"_s : QString()});
        rows.append({u"scan as the window runs it, "_s + english.toString(files) + u" files + "_s
                + english.toString(folders) + u" folders ("_s + english.toString(list1.ListCount())
                + u" artists)"_s,
            bench::beside(bench::median(scan), bench::median(bareScan)),
            atTarget ? u"<= 1.5 x bare readdir + sort + grouping"_s : QString()});
        // What another program's change costs: the same folder again, selection kept.
        file1.setListIndex(int(files / 2));
        QList<double> reread;
        for (int round = 0; round < Rounds; ++round)
            reread.append(bench::secondsFor([&] { file1.reread(); }));
        if (file1.ListIndex() != files / 2)
            qFatal("the re-read lost the selection");
        rows.append({u"file-list re-read, "_s + english.toString(files) + u" files"_s,
            bench::seconds(bench::median(reread)), files == 100'000 ? u"<= 0.5 s"_s : QString()});
    }
}

// The folder list of a folder with many sub-folders.
void folderListSection(QList<bench::Row> &rows)
{
    const QLocale english(QLocale::English);
    QList<qsizetype> sizes {10'000};
    if (bench::million())
        sizes += {100'000, 300'000};
    for (const qsizetype count : sizes) {
        const auto scratch = bench::scratchFolder();
        const QTemporaryDir &dir = *scratch;
        for (qsizetype k = 0; k < count; ++k) {
            if (!QDir(dir.path()).mkdir(u"Folder "_s + QString::number(k)))
                qFatal("cannot make a bench folder");
        }
        arvelo::FolderList dir1;
        QList<double> fill, bare;
        for (int round = 0; round < Rounds; ++round) {
            const std::array<std::function<void()>, 2> ways {
                [&] {
                    fill.append(bench::secondsFor([&] {
                        (void)dir1.setPath(dir.path());
                        // Shown again, as after a move: the same folder read once more.
                        (void)dir1.setPath(dir.path());
                    }) / 2);
                },
                [&] {
                    bare.append(bench::secondsFor([&] { bareListing(dir.path(), false, true); }));
                },
            };
            for (std::size_t k = 0; k < ways.size(); ++k)
                ways[(k + round) % ways.size()]();
        }
        rows.append({u"folder-list fill, "_s + english.toString(count) + u" sub-folders"_s,
            bench::beside(bench::median(fill), bench::median(bare)),
            count == 300'000 ? u"<= 1 s"_s : QString()});
    }
}

const bench::Registration registration(100, scanSection);
const bench::Registration folderRegistration(bench::FolderListOrder, folderListSection);

} // namespace
