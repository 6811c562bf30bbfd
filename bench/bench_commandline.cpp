// The command line's move beside the same core calls, each in a process of its own, so that
// both are measured alike: wall time and peak memory of `arvelo --move` and of the core alone.
// Then `arvelo --undo` of such a move beside a bare loop of the same renames back, and its peak
// memory beside the move's.
#include "bench.h"
#include "synthetic.h"

#include "core/ArtistFolders.h"
#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
#include "core/FolderListing.h"
#include "core/MovePass.h"
#include "core/NameCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype files = 100'000;
constexpr qsizetype folders = 1'000;

struct Measured
{
    double seconds = 0;
    // The program's own work, without the system calls, which dominate and vary the wall time.
    double userSeconds = 0;
    double megabytes = 0;
};

// Runs a program to its end in a process of its own, through `arvelo-bench --measure`. The
// peak memory that wait4 reports for a child counts the memory of the process it was started
// from (Linux keeps the larger at exec), so the start comes from that small helper, never from
// this process with its own fixtures.
Measured measure(const QByteArrayList &arguments)
{
    QStringList helperArguments {u"--measure"_s};
    for (const QByteArray &argument : arguments)
        helperArguments.append(QFile::decodeName(argument));
    QProcess helper;
    helper.start(QCoreApplication::applicationFilePath(), helperArguments);
    if (!helper.waitForFinished(-1) || helper.exitCode() != 0)
        qFatal("cannot measure %s", arguments.front().constData());
    const QList<QByteArray> figures = helper.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 3)
        qFatal("the measuring helper printed no figures");
    return {figures.at(0).toDouble(), figures.at(1).toDouble(), figures.at(2).toDouble()};
}

template<std::size_t N>
double median(std::array<double, N> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[N / 2];
}

QString percentMore(double measured, double base)
{
    return u"%1%2%"_s.arg(measured >= base ? u"+"_s : QString())
        .arg((measured / base - 1) * 100, 0, 'f', 1);
}

void commandLineSection(QList<bench::Row> &rows)
{
    const QByteArray self = QFile::encodeName(QFile::symLinkTarget(u"/proc/self/exe"_s));
    constexpr std::size_t rounds = 3;
    std::array<double, rounds> cliSeconds {}, coreSeconds {}, cliUser {}, coreUser {}, cliMemory {},
        coreMemory {};
    for (std::size_t round = 0; round < rounds; ++round) {
        const bench::SongFolder entries = bench::songFolder(files, folders, quint32(round + 1));
        const auto forCli = bench::scratchFolder();
        const auto forCore = bench::scratchFolder();
        bench::makeEntries(forCli->path(), entries);
        bench::makeEntries(forCore->path(), entries);
        const auto cli = [&] {
            return measure({ARVELO_BINARY, "--move", QFile::encodeName(forCli->path())});
        };
        const auto core = [&] {
            return measure({self, "--core-move", QFile::encodeName(forCore->path())});
        };
        // The two take turns at going first.
        const Measured first = round % 2 ? core() : cli();
        const Measured second = round % 2 ? cli() : core();
        const Measured &c = round % 2 ? second : first;
        const Measured &k = round % 2 ? first : second;
        cliSeconds[round] = c.seconds;
        coreSeconds[round] = k.seconds;
        cliUser[round] = c.userSeconds;
        coreUser[round] = k.userSeconds;
        cliMemory[round] = c.megabytes;
        coreMemory[round] = k.megabytes;
    }
    const double wall = median(cliSeconds), coreWall = median(coreSeconds);
    const double user = median(cliUser), coreUserTime = median(coreUser);
    const double memory = median(cliMemory), coreMem = median(coreMemory);
    rows.append(
        {u"arvelo --move, 100,000 files (wall; core call %1)"_s.arg(bench::seconds(coreWall)),
            bench::seconds(wall) + u" ("_s + percentMore(wall, coreWall) + u')', u"<= +10%"_s});
    rows.append({u"arvelo --move, 100,000 files (user cpu; core call %1)"_s.arg(
                     bench::seconds(coreUserTime)),
        bench::seconds(user) + u" ("_s + percentMore(user, coreUserTime) + u')', u"<= +10%"_s});
    rows.append({u"arvelo --move, 100,000 files (peak; core call %1 MB)"_s.arg(coreMem, 0, 'f', 1),
        QString::number(memory, 'f', 1) + u" MB ("_s + percentMore(memory, coreMem) + u')',
        u"<= +10%"_s});
}

void undoSection(QList<bench::Row> &rows)
{
    for (const qsizetype count : {files, bench::million() ? qsizetype(1'000'000) : 0}) {
        if (count == 0)
            continue;
        constexpr std::size_t rounds = 3;
        std::array<double, rounds> undoSeconds {}, bareSeconds {}, undoMemory {}, moveMemory {};
        for (std::size_t round = 0; round < rounds; ++round) {
            const bench::SongFolder entries
                = bench::songFolder(count, count / 100, quint32(round + 1));
            const auto scratch = bench::scratchFolder();
            const QByteArray folder = QFile::encodeName(scratch->path());
            bench::makeEntries(scratch->path(), entries);
            // Each is timed right after a move of its own; the two take turns at going first.
            for (const bool undoTurn : {round % 2 == 0, round % 2 != 0}) {
                moveMemory[round] = measure({ARVELO_BINARY, "--move", folder}).megabytes;
                bench::flush(scratch->path());
                if (undoTurn) {
                    const Measured undo = measure({ARVELO_BINARY, "--undo", folder});
                    undoSeconds[round] = undo.seconds;
                    undoMemory[round] = undo.megabytes;
                } else {
                    // The same renames back and the folders' removal, with nothing else.
                    bareSeconds[round]
                        = bench::secondsFor([&] { bench::putBack(scratch->path()); });
                }
            }
        }
        const QString size = QLocale(QLocale::English).toString(count);
        const double bare = median(bareSeconds);
        rows.append({u"arvelo --undo, %1 files (wall)"_s.arg(size),
            bench::beside(median(undoSeconds), bare), u"<= 1.5 x bare renames back"_s});
        rows.append({u"arvelo --undo, %1 files (peak; the move %2 MB)"_s.arg(size).arg(
                         median(moveMemory), 0, 'f', 1),
            QString::number(median(undoMemory), 'f', 1) + u" MB"_s, u"<= the move's"_s});
    }
}

const bench::Registration registration(bench::CommandLineOrder, commandLineSection);
const bench::Registration undoRegistration(bench::UndoOrder, undoSection);

} // namespace

namespace bench {

int measureChild(char **argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv, environ) != 0)
        return 2;
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child)
        return 2;
    const double seconds = clock.nsecsElapsed() / 1e9;
    posix_spawn_file_actions_destroy(&actions);
    std::printf("%.6f %.6f %.3f\n", seconds,
        double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6, usage.ru_maxrss / 1024.0);
    return 0;
}

int coreMove(const char *folderName)
{
    // The window's work, called directly: list, scan, move every listed artist.
    const QString folder = arvelo::decodeName(folderName);
    const std::optional<arvelo::ListedFiles> listed = arvelo::listFiles(folder);
    if (!listed)
        return 2;
    arvelo::ListedFolder open(folder, listed->folder);
    const std::optional<arvelo::ScanOutcome> scan
        = arvelo::scanFolder(open, listed->names, true, {});
    if (!scan)
        return 2;
    arvelo::MovePass pass(std::make_unique<arvelo::DiskFolders>(std::move(open)), folder,
        {scan->artists, listed->names});
    pass.step();
    return pass.summary().stayed.isEmpty() ? 0 : 1;
}

} // namespace bench
