// The command line's move beside the same core calls, each in a process of its own, so that
// both are measured alike: wall time and peak memory of `arvelo --move` and of the core alone.
#include "bench.h"
#include "synthetic.h"

#include "core/ArtistFolders.h"
#include "core/Lists.h"
#include "core/MovePass.h"
#include "core/NameCodec.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <array>
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

// Runs a program to its end with its output thrown away.
Measured measure(const QByteArrayList &arguments)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t child = 0;
    if (posix_spawn(&child, argv.front(), &actions, nullptr, argv.data(), environ) != 0)
        qFatal("cannot start %s", argv.front());
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    Measured measured {clock.nsecsElapsed() / 1e9,
        double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6, usage.ru_maxrss / 1024.0};
    posix_spawn_file_actions_destroy(&actions);
    return measured;
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
        const auto forCli = bench::makeSongFolder(files, folders, quint32(round + 1));
        const auto forCore = bench::makeSongFolder(files, folders, quint32(round + 1));
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

const bench::Registration registration(400, commandLineSection);

} // namespace

namespace bench {

int coreMove(const char *folderName)
{
    // The window's work, called directly: list, scan, move every listed artist.
    const QString folder = arvelo::decodeName(folderName);
    const std::optional<arvelo::ListedFiles> listed = arvelo::listedFiles(folder);
    if (!listed)
        return 2;
    arvelo::ListedFolder open(folder, listed->folder);
    const std::optional<arvelo::ScanLists> scan = arvelo::scanLists(open, listed->names, true, {});
    if (!scan)
        return 2;
    arvelo::DiskFolders disk(std::move(open));
    const arvelo::MoveSummary summary
        = arvelo::moveIntoArtistFolders(disk, scan->artists, folder, listed->names, true);
    return summary.stayed.isEmpty() ? 0 : 1;
}

} // namespace bench
