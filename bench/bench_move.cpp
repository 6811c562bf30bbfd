// The move at scale: through the pass on the real file system beside a bare loop of the same
// renames, and the pass's own work with the system calls left out.
#include "bench.h"
#include "synthetic.h"

#include "core/ArtistFolders.h"
#include "core/ArtistName.h"
#include "core/Journal.h"
#include "core/Module1.h"
#include "core/MovePass.h"
#include "core/Passes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QString artistName(int artist)
{
    return u"Artist "_s + QString::number(artist).rightJustified(5, u'0');
}

QStringList songNames(int artistCount, int songsPerArtist)
{
    QStringList names;
    names.reserve(artistCount * songsPerArtist);
    for (int artist = 0; artist < artistCount; ++artist) {
        for (int song = 0; song < songsPerArtist; ++song)
            names.append(artistName(artist) + u" - Song "_s + QString::number(song) + u".mp3"_s);
    }
    return names;
}

void makeFiles(const QString &folder, const QStringList &names)
{
    if (!QDir().mkpath(folder))
        qFatal("cannot make the bench folder");
    bench::makeEntries(folder, {names, {}});
}

qsizetype filesDirectlyIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files).size();
}

// Only counts: what the pass costs beyond its system calls.
class CountingFolders final : public arvelo::FolderAccess
{
public:
    explicit CountingFolders(qsizetype &moves)
        : m_moves(moves)
    { }
    Found findEntry(const QString &, QDeadlineTimer) override { return {}; }
    int makeFolder(const QString &) override { return 0; }
    arvelo::LookedFile look(const QString &file) override { return {QFile::encodeName(file), 0}; }
    arvelo::MoveResult move(const arvelo::LookedFile &, const QString &) override
    {
        ++m_moves;
        return {};
    }

private:
    qsizetype &m_moves;
};

// The move without a journal, over the folder as it stands.
std::unique_ptr<arvelo::MovePass> bareMove(
    const QString &folder, const QStringList &entries, const QStringList &names)
{
    return std::make_unique<arvelo::MovePass>(
        std::make_unique<arvelo::DiskFolders>(arvelo::ListedFolder(folder, std::nullopt)), folder,
        arvelo::MoveOrder {entries, names});
}

arvelo::MoveSummary moveAll(
    const QString &folder, const QStringList &entries, const QStringList &names)
{
    const auto pass = bareMove(folder, entries, names);
    pass->step();
    return pass->summary();
}

template<std::size_t N>
double median(std::array<double, N> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[N / 2];
}

void moveRows(QList<bench::Row> &rows, int artistCount, int songsPerArtist)
{
    const QLocale english(QLocale::English);
    const QStringList names = songNames(artistCount, songsPerArtist);
    QStringList entries;
    for (int artist = 0; artist < artistCount; ++artist)
        entries.append(artistName(artist));

    // One folder serves every run: its files are put back and its artist folders removed after
    // each, which costs less than making a fresh folder of files and keeps a million files
    // within the inodes of a tmpfs.
    const auto scratch = bench::scratchFolder();
    const QString folder = scratch->path();
    makeFiles(folder, names);
    QList<QByteArray> folders, from, to;
    for (int artist = 0; artist < artistCount; ++artist)
        folders.append(QFile::encodeName(folder + u'/' + artistName(artist)));
    for (const QString &name : names) {
        from.append(QFile::encodeName(folder + u'/' + name));
        to.append(QFile::encodeName(
            folder + u'/' + arvelo::withoutTrailingBlanks(arvelo::artistPart(name)) + u'/' + name));
    }
    const auto makeFolders = [&] {
        for (const QByteArray &made : std::as_const(folders)) {
            if (::mkdir(made.constData(), 0777) != 0)
                qFatal("bare mkdir failed");
        }
    };

    // The ways take turns at going first. The bare loop's folders are made (and timed) apart
    // from its renames; the pass makes its own. Each starts from a clean journal.
    constexpr std::size_t rounds = 5;
    std::array<double, rounds> passNew {}, passMade {}, bareFolders {}, bareRenames {}, bareBoth {};
    const auto timed = [&](const std::function<void()> &work) {
        bench::flush(folder);
        return bench::secondsFor(work);
    };
    const auto pass = [&](qsizetype created) {
        const arvelo::MoveSummary summary = moveAll(folder, entries, names);
        if (summary.moved != names.size() || !summary.stayed.isEmpty()
            || summary.foldersCreated != created)
            qFatal("the pass left files behind");
    };
    for (std::size_t round = 0; round < rounds; ++round) {
        const std::array<std::function<void()>, 4> ways {
            [&] { passNew[round] = timed([&] { pass(artistCount); }); },
            [&] {
                makeFolders();
                passMade[round] = timed([&] { pass(0); });
            },
            [&] {
                bareFolders[round] = timed(makeFolders);
                bareRenames[round] = timed([&] {
                    for (qsizetype k = 0; k < from.size(); ++k) {
                        if (std::rename(from.at(k).constData(), to.at(k).constData()) != 0)
                            qFatal("bare rename failed");
                    }
                });
            },
            // The same work as the pass on a new folder: each folder made at its artist's
            // first file, then the renames, with nothing flushed in between.
            [&] {
                bareBoth[round] = timed([&] {
                    for (qsizetype k = 0; k < from.size(); ++k) {
                        if (k % songsPerArtist == 0
                            && ::mkdir(folders.at(k / songsPerArtist).constData(), 0777) != 0)
                            qFatal("bare mkdir failed");
                        if (std::rename(from.at(k).constData(), to.at(k).constData()) != 0)
                            qFatal("bare rename failed");
                    }
                });
            },
        };
        for (std::size_t k = 0; k < ways.size(); ++k) {
            ways[(k + round) % ways.size()]();
            if (filesDirectlyIn(folder))
                qFatal("the move left files behind");
            bench::putBack(folder);
        }
    }
    const double renames = median(bareRenames);
    const QString moveWork = u"move, "_s + english.toString(names.size()) + u" files into "_s
        + english.toString(artistCount) + u" folders"_s;
    const auto ratio = [renames](double seconds) {
        return bench::seconds(seconds) + u" (ratio "_s + QString::number(seconds / renames, 'f', 2)
            + u')';
    };
    rows.append(
        {moveWork + u": bare renames into made folders"_s, bench::seconds(renames), QString()});
    rows.append({moveWork + u": bare mkdir of the folders"_s, bench::seconds(median(bareFolders)),
        QString()});
    rows.append({moveWork + u": bare mkdir and renames in one loop"_s,
        bench::seconds(median(bareBoth)), QString()});
    // Made by the pass, the folders are part of the work: its yardstick is the loop that makes
    // them as well, not renames into folders made and flushed beforehand.
    rows.append({moveWork + u": pass, folders made by it"_s,
        bench::seconds(median(passNew)) + u" (ratio "_s
            + QString::number(median(passNew) / median(bareBoth), 'f', 2) + u')',
        u"<= 1.6 x bare mkdir and renames"_s});
    rows.append({moveWork + u": pass, folders already there"_s, ratio(median(passMade)),
        u"<= 1.3 x bare renames"_s});
}

void moveSection(QList<bench::Row> &rows)
{
    const QLocale english(QLocale::English);
    moveRows(rows, 1'000, 10);
    if (bench::million()) {
        moveRows(rows, 10'000, 10);
        moveRows(rows, 10'000, 100);
    }

    // The pass's own work at 100,000 files: grouping, naming, composing paths.
    const bench::SongFolder songs = bench::songFolder(100'000, 0);
    QStringList artists;
    QSet<QString> seen;
    for (const QString &file : songs.files) {
        const QString artist = Module1::BeautifyName(arvelo::artistPart(file));
        if (!seen.contains(artist)) {
            seen.insert(artist);
            artists.append(artist);
        }
    }
    std::array<double, 3> runs {};
    qsizetype moves = 0;
    for (double &run : runs) {
        moves = 0;
        run = bench::secondsFor([&] {
            arvelo::MovePass(
                std::make_unique<CountingFolders>(moves), u"/music"_s, {artists, songs.files})
                .step();
        });
    }
    rows.append({u"move pass without system calls, "_s + english.toString(songs.files.size())
            + u" files, "_s + english.toString(artists.size()) + u" artists ("_s
            + english.toString(moves) + u" moves)"_s,
        bench::seconds(median(runs)), QString()});
}

// The move in slices of 25 ms with the event loop turning between them, beside the same pass in
// one call, and with its journal kept, at 20,000 files (100,000 with --million).
void steppedSection(QList<bench::Row> &rows)
{
    const QLocale english(QLocale::English);
    const int fileCount = bench::million() ? 100'000 : 20'000;
    const int folderCount = fileCount * 7 / 100;
    QStringList names, entries;
    names.reserve(fileCount);
    for (int k = 0; k < fileCount; ++k)
        names.append(artistName(k % folderCount) + u" - Song "_s + QString::number(k) + u".mp3"_s);
    for (int artist = 0; artist < folderCount; ++artist)
        entries.append(artistName(artist));

    // On the disk, where the journal's flushes cost what they cost in use. The same folders
    // serve every run, put back after each: making the files takes longer than moving them.
    QTemporaryDir dir;
    const QString oneCall = dir.path() + u"/songs"_s;
    const QString &stepped = oneCall, &kept = oneCall;
    const QString beside = dir.path() + u"/beside"_s;
    makeFiles(oneCall, names);
    makeFiles(beside, names);
    // The folders a run made are set aside, not removed: ext4 without its journal passes over
    // inodes freed a few seconds ago when it makes a folder, so each run paid for the folders
    // removed before it, by how long ago that was.
    const QString aside = dir.path() + u"/aside"_s;
    if (!QDir().mkdir(aside))
        qFatal("cannot create %s", qPrintable(aside));
    const auto check = [&](const arvelo::MoveSummary &summary) {
        if (summary.moved != fileCount || summary.foldersCreated != folderCount)
            qFatal("the pass left files behind");
    };
    // The disk's own pace swings from round to round: compare the two within each round.
    constexpr std::size_t rounds = 9;
    std::array<double, rounds> whole {}, sliced {}, extra {}, bare {}, journaled {}, journalCost {};
    for (std::size_t round = 0; round < rounds; ++round) {
        const QString state = dir.path() + u"/state"_s + QString::number(round);
        const std::array<std::function<void()>, 3> ways {
            [&] {
                ::sync();
                whole[round] = bench::secondsFor([&] { check(moveAll(oneCall, entries, names)); });
            },
            [&] {
                ::sync();
                sliced[round] = bench::secondsFor([&] {
                    const auto pass = bareMove(stepped, entries, names);
                    while (!pass->step(QDeadlineTimer(25)))
                        QCoreApplication::processEvents();
                    check(pass->summary());
                });
            },
            // The same pass written to a journal first, and beside it one without, in a folder
            // alike: the two take turns slice by slice, since the machine's pace swings by a
            // tenth from one tenth of a second to the next. Two folders made alike are not
            // always as fast as each other (one run found one a third slower throughout), so each
            // holds the journaled pass once a round. The last flush is part of the work.
            [&] {
                for (const auto &[keptIn, bareIn] :
                    {std::pair(kept, beside), std::pair(beside, kept)}) {
                    ::sync();
                    const auto bareOne = bareMove(bareIn, entries, names);
                    auto keptOne = arvelo::journaledMove(
                        arvelo::ListedFolder(keptIn, std::nullopt), {entries, names}, {}, state)
                                       .pass;
                    arvelo::MoveSummary keptSummary;
                    bool bareDone = false, keptDone = false;
                    for (std::size_t turn = round; !bareDone || !keptDone; ++turn) {
                        if (keptDone || (!bareDone && turn % 2 == 0)) {
                            bare[round] += bench::secondsFor(
                                [&] { bareDone = bareOne->step(QDeadlineTimer(25)); });
                        } else {
                            journaled[round] += bench::secondsFor([&] {
                                keptDone = keptOne->step(
                                    QDeadlineTimer(25), std::numeric_limits<qsizetype>::max());
                                // The journal's last flush, as the pass ends.
                                if (keptDone) {
                                    keptSummary = keptOne->summary();
                                    keptOne.reset();
                                }
                            });
                        }
                        QCoreApplication::processEvents();
                    }
                    check(bareOne->summary());
                    check(keptSummary);
                    bench::putBack(bareIn, {}, aside);
                    bench::putBack(keptIn, {}, aside);
                }
            },
        };
        for (std::size_t k = 0; k < ways.size(); ++k) {
            ways[(k + round) % ways.size()]();
            bench::putBack(oneCall, {}, aside);
        }
        extra[round] = sliced[round] / whole[round] - 1;
        journalCost[round] = journaled[round] / bare[round] - 1;
    }
    const QString work = u"move, "_s + english.toString(fileCount) + u" files into "_s
        + english.toString(folderCount) + u" folders"_s;
    const double once = median(whole);
    const double steps = median(sliced);
    rows.append({work + u": one-call pass"_s, bench::seconds(once), QString()});
    rows.append({work + u": stepped pass, 25 ms slices"_s,
        bench::seconds(steps) + u" ("_s + QString::number(median(extra) * 100, 'f', 1)
            + u" % in the median round)"_s,
        u"<= one-call + 5 %"_s});
    rows.append({work + u": stepped pass with its journal"_s,
        bench::seconds(median(journaled) / 2) + u" ("_s
            + QString::number(median(journalCost) * 100, 'f', 1) + u" % in the median round)"_s,
        u"<= stepped + 5 %"_s});
}

const bench::Registration registration(300, moveSection);
const bench::Registration steppedRegistration(310, steppedSection);

} // namespace
