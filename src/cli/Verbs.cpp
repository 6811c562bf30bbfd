#include "cli/Verbs.h"

#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
#include "core/FolderListing.h"
#include "core/ListedFolder.h"
#include "core/MoveReport.h"
#include "core/NameCodec.h"
#include "core/Passes.h"
#include "core/UndoPass.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// Progress shows only on a terminal, once the move has run ProgressAfterMs, redrawn this often.
constexpr qint64 ProgressEveryMs = 100;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

// A name printed as its own bytes, so that a name that is not UTF-8 reaches the next tool
// as it is on the disk.
void printName(const QString &name, char end)
{
    const QByteArray line = encodeName(name) + end;
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

// Prints a list, as --scan and --songs do, and gives the status for that.
int printNames(const QStringList &names, char end)
{
    for (const QString &name : names)
        printName(name, end);
    return 0;
}

void printError(const QString &text)
{
    std::fputs(qPrintable(text), stderr);
}

// Tells why the verb cannot do its work, and gives the status for that.
int refuse(const QString &why)
{
    printError(u"arvelo: "_s + why + u'\n');
    return UsageExitCode;
}

// The folder's files and the artists the request keeps, listed and scanned as the window
// does; nothing, with the reason told, when the folder cannot be read or an artist named on
// the command line is not listed.
struct Scanned
{
    QStringList files;
    FileId folder;
    QStringList artists;
};

std::optional<Scanned> scanFor(const VerbRequest &request, const QStringList &mustBeListed = {})
{
    std::optional<ListedFiles> files = listFiles(request.folder);
    std::optional<ScanOutcome> scan;
    if (files) {
        const ListedFolder listed(request.folder, files->folder);
        scan = scanFolder(listed, files->names, request.withSubFolders, request.keyOptions);
        if (listed.changed()) {
            refuse(folderChangedMessage(request.folder));
            return std::nullopt;
        }
    }
    if (!scan) {
        refuse(u"the folder \"%1\" could not be read"_s.arg(displayName(request.folder)));
        return std::nullopt;
    }
    // A typo must never widen the move: every artist named must be one that Scan lists.
    for (const QString &artist : mustBeListed + request.except + request.only) {
        if (!scan->artists.contains(artist)) {
            refuse(u"\"%1\" is not an artist that Scan lists in \"%2\""_s.arg(
                displayName(artist), displayName(request.folder)));
            return std::nullopt;
        }
    }
    Scanned scanned {std::move(files->names), files->folder, std::move(scan->artists)};
    if (!request.only.isEmpty())
        scanned.artists.removeIf([&](const QString &a) { return !request.only.contains(a); });
    scanned.artists.removeIf([&](const QString &a) { return request.except.contains(a); });
    return scanned;
}

// Prints each folder made and each file moved as it happens (or would, in a dry run).
PassTell printing(char end)
{
    return {[end](const QString &folder) { printName(folder + u'/', end); },
        [end](const QString &from, const QString &to) { printName(from + u" -> "_s + to, end); }};
}

// SIGINT and SIGTERM only raise the flag while the move runs; the move stops between files. A
// closed output does not end the program either; the move sees it at its next step.
class InterruptFlag
{
public:
    InterruptFlag()
    {
        interrupted = 0;
        struct sigaction action = {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < std::size(Signals); ++i) {
            action.sa_handler = Signals[i] == SIGPIPE ? SIG_IGN : onInterrupt;
            sigaction(Signals[i], &action, &m_before[i]);
        }
    }
    ~InterruptFlag()
    {
        for (std::size_t i = 0; i < std::size(Signals); ++i)
            sigaction(Signals[i], &m_before[i], nullptr);
    }
    InterruptFlag(const InterruptFlag &) = delete;
    InterruptFlag &operator=(const InterruptFlag &) = delete;

    bool raised() const { return interrupted != 0; }

private:
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGPIPE};
    // What each signal did before, to be put back.
    struct sigaction m_before[std::size(Signals)] = {};
};

// One line on a terminal's standard error that redraws itself; nothing elsewhere.
class Progress
{
public:
    Progress()
        : m_terminal(::isatty(STDERR_FILENO) == 1)
    {
        m_clock.start();
    }

    void show(const SteppedPass &pass)
    {
        const qint64 now = m_clock.elapsed();
        if (!m_terminal || now < ProgressAfterMs || now - m_drawnAt < ProgressEveryMs
            || pass.filesToMove() == 0)
            return;
        m_drawnAt = now;
        printError(u"\r%1 of %2 files (%3%)"_s.arg(pass.filesHandled())
                       .arg(pass.filesToMove())
                       .arg(pass.filesHandled() * 100 / pass.filesToMove()));
        std::fflush(stderr);
    }

    void clear()
    {
        if (m_drawnAt >= 0)
            printError(u"\r\x1b[K"_s);
    }

private:
    const bool m_terminal;
    QElapsedTimer m_clock;
    // Negative until the line is first drawn.
    qint64 m_drawnAt = -ProgressEveryMs;
};

} // namespace

int runScan(const VerbRequest &request)
{
    const std::optional<Scanned> scanned = scanFor(request);
    return scanned ? printNames(scanned->artists, request.end) : UsageExitCode;
}

int runSongs(const VerbRequest &request)
{
    const std::optional<Scanned> scanned = scanFor(request, {request.value});
    return scanned ? printNames(songList(scanned->files, request.value), request.end)
                   : UsageExitCode;
}

int runMove(const VerbRequest &request)
{
    // From here on an interrupt stops the work with a report, even before the first file.
    const InterruptFlag interrupt;
    const std::optional<Scanned> scanned = scanFor(request);
    if (!scanned)
        return UsageExitCode;
    // The move works in the folder that was listed, or not at all.
    ListedFolder listed(request.folder, scanned->folder);
    const PassTell tell = request.dryRun || request.verbose ? printing(request.end) : PassTell();
    MoveOrder order {scanned->artists, scanned->files, request.beautifyFolderNames};
    // Written down as it goes, as the window's move is, so that `--undo` can take it back.
    const OpenedPass opened = request.dryRun
        ? plannedMove(std::move(listed), std::move(order), tell)
        : journaledMove(std::move(listed), std::move(order), tell);
    if (!opened.pass)
        return refuse(opened.refusal);
    SteppedPass *const pass = opened.pass.get();

    Progress progress;
    const bool stopped = !runSteps(*pass, [&] {
        // What was printed goes out at every step: a closed output (a pipe whose reader has
        // gone) stops the move there, as an interrupt does.
        if (interrupt.raised() || std::fflush(stdout) != 0)
            return false;
        progress.show(*pass);
        return true;
    });
    progress.clear();
    std::fflush(stdout);

    const MoveSummary &summary = pass->summary();
    const QString report = moveReport(summary);
    QString told;
    if (stopped) {
        told = u"arvelo: interrupted: %1 of %2 files %3, the others stayed where they were.\n"_s
                   .arg(summary.moved)
                   .arg(pass->filesToMove())
                   .arg(request.dryRun ? u"would have moved"_s : u"moved"_s);
    }
    if (!report.isEmpty()) {
        if (request.dryRun)
            told += u"Preview only; nothing was moved. A move now would report:\n\n"_s;
        told += report + u'\n';
    }
    printError(told);
    if (stopped)
        return InterruptedExitCode;
    return report.isEmpty() ? 0 : SomeStayedExitCode;
}

int runUndo(const VerbRequest &request)
{
    const QString shown = displayName(request.folder);
    if (const auto problem = stateFolderProblem(journalFolder()))
        return refuse(*problem);
    // A dry run prints what would go back as its own look finds it, and changes nothing.
    const std::unique_ptr<UndoPass> undo = nextUndo(
        request.folder, request.dryRun, request.dryRun ? printing(request.end) : PassTell());
    if (undo->folderError() != 0) {
        return refuse(u"cannot open folder \"%1\": %2"_s.arg(
            shown, QString::fromLocal8Bit(std::strerror(undo->folderError()))));
    }
    if (undo->busy())
        return refuse(folderBusyMessage(request.folder));
    if (!undo->found())
        return refuse(u"There is no move to undo in \"%1\"."_s.arg(shown));
    std::fflush(stdout);
    const QString report = moveReport(undo->summary());
    if (report.isEmpty())
        return 0;
    printError(report + u'\n');
    return SomeStayedExitCode;
}

} // namespace arvelo
