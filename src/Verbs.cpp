#include "Verbs.h"

#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/ListedFolder.h"
#include "core/Lists.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "core/NameCodec.h"
#include "core/PlannedFolders.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <limits>
#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// Steps as long as the window's: an interrupt is seen when the step ends, right after the file
// in hand, and the journal writes down about one step's files at a time.
constexpr int StepMs = 25;
// Progress shows only on a terminal, once the move has run this long, redrawn this often.
constexpr qint64 ProgressAfterMs = 500;
constexpr qint64 ProgressEveryMs = 100;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

void write(std::FILE *stream, QByteArrayView bytes)
{
    if (!bytes.isEmpty())
        std::fwrite(bytes.data(), 1, size_t(bytes.size()), stream);
}

// A name printed as its own bytes, so that a name that is not UTF-8 reaches the next tool
// as it is on the disk.
void printName(const QString &name, char end)
{
    QByteArray line = encodeName(name);
    line.append(end);
    write(stdout, line);
}

void printError(const QString &text)
{
    write(stderr, text.toLocal8Bit());
}

// Says that the folder is no longer the one whose files were listed.
std::nullopt_t changed(const QString &folder)
{
    printError(u"arvelo: "_s + folderChangedMessage(folder) + u'\n');
    return std::nullopt;
}

// The folder's files and the artists the request keeps, listed and scanned as the window
// does; nothing, with the reason told, when the folder cannot be read or an artist named on
// the command line is not listed.
struct Scanned
{
    QStringList files;
    FolderId folder;
    QStringList artists;
};

std::optional<Scanned> scanFor(const VerbRequest &request, const QStringList &mustBeListed = {})
{
    std::optional<ListedFiles> files = listedFiles(request.folder);
    std::optional<ScanLists> scan;
    if (files) {
        const ListedFolder listed(request.folder, files->folder);
        scan = scanLists(listed, files->names, request.withSubFolders, request.keyOptions);
        if (listed.changed())
            return changed(request.folder);
    }
    if (!scan) {
        printError(
            u"arvelo: the folder \"%1\" could not be read\n"_s.arg(displayName(request.folder)));
        return std::nullopt;
    }
    // A typo must never widen the move: every artist named must be one that Scan lists.
    for (const QString &artist : mustBeListed + request.except + request.only) {
        if (!scan->artists.contains(artist)) {
            printError(u"arvelo: \"%1\" is not an artist that Scan lists in \"%2\"\n"_s.arg(
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

// Passes every call on, and prints each folder made and each file moved as it happens.
class TellingFolders final : public FolderAccess
{
public:
    TellingFolders(FolderAccess &folders, char end)
        : m_folders(folders)
        , m_end(end)
    { }

    std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) override
    {
        return m_folders.findEntry(folder, name);
    }
    bool prepare(const QString &folder, qsizetype entries, qsizetype nameBytes,
        QDeadlineTimer deadline) override
    {
        return m_folders.prepare(folder, entries, nameBytes, deadline);
    }
    bool needsPreparing(const QString &folder, const QString &name) override
    {
        return m_folders.needsPreparing(folder, name);
    }
    bool createFolder(const QString &folder, const QString &name) override
    {
        const bool made = m_folders.createFolder(folder, name);
        if (made)
            printName(name + u'/', m_end);
        return made;
    }
    MoveResult moveInto(
        const QString &folder, const QString &file, const QString &subFolder) override
    {
        return told(m_folders.moveInto(folder, file, subFolder), file, subFolder);
    }
    LookedFile look(const QString &folder, const QString &file) override
    {
        return m_folders.look(folder, file);
    }
    MoveResult moveLooked(const QString &folder, const LookedFile &file, const QString &fileName,
        const QString &subFolder) override
    {
        return told(m_folders.moveLooked(folder, file, fileName, subFolder), fileName, subFolder);
    }

private:
    MoveResult told(const MoveResult &result, const QString &file, const QString &subFolder)
    {
        if (result.moved())
            printName(file + u" -> "_s + subFolder + u'/' + file, m_end);
        return result;
    }

    FolderAccess &m_folders;
    const char m_end;
};

// SIGINT and SIGTERM only raise the flag while the move runs; the move stops between files.
class InterruptFlag
{
public:
    InterruptFlag()
    {
        interrupted = 0;
        struct sigaction action
        { };
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_int);
        sigaction(SIGTERM, &action, &m_term);
    }
    ~InterruptFlag()
    {
        sigaction(SIGINT, &m_int, nullptr);
        sigaction(SIGTERM, &m_term, nullptr);
    }
    InterruptFlag(const InterruptFlag &) = delete;
    InterruptFlag &operator=(const InterruptFlag &) = delete;

    bool raised() const { return interrupted != 0; }

private:
    struct sigaction m_int
    { };
    struct sigaction m_term
    { };
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
        m_drawn = true;
        printError(u"\r%1 of %2 files (%3%)"_s.arg(pass.filesHandled())
                       .arg(pass.filesToMove())
                       .arg(pass.filesHandled() * 100 / pass.filesToMove()));
        std::fflush(stderr);
    }

    void clear()
    {
        if (m_drawn)
            printError(u"\r\x1b[K"_s);
    }

private:
    const bool m_terminal;
    QElapsedTimer m_clock;
    qint64 m_drawnAt = -ProgressEveryMs;
    bool m_drawn = false;
};

} // namespace

int runScan(const VerbRequest &request)
{
    const std::optional<Scanned> scanned = scanFor(request);
    if (!scanned)
        return UsageExitCode;
    for (const QString &artist : scanned->artists)
        printName(artist, request.end);
    return 0;
}

int runSongs(const VerbRequest &request)
{
    const std::optional<Scanned> scanned = scanFor(request, {request.value});
    if (!scanned)
        return UsageExitCode;
    for (const QString &song : songList(scanned->files, request.value))
        printName(song, request.end);
    return 0;
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
    if (listed.changed()) {
        changed(request.folder);
        return UsageExitCode;
    }
    std::unique_ptr<FolderAccess> disk;
    if (request.dryRun)
        disk = std::make_unique<PlannedFolders>();
    else
        disk = std::make_unique<DiskFolders>(std::move(listed));
    TellingFolders telling(*disk, request.end);
    FolderAccess &folders = request.dryRun || request.verbose ? telling : *disk;
    // Written down as it goes, as the window's move is, so that `--undo` can take it back.
    std::optional<Journal> journal;
    MovePass pass(
        folders, scanned->artists, request.folder, scanned->files, request.beautifyFolderNames);
    if (!request.dryRun)
        pass.keepJournal(&journal.emplace(request.folder));

    Progress progress;
    bool stopped = false;
    while (!pass.step(QDeadlineTimer(StepMs), std::numeric_limits<qsizetype>::max())) {
        if (interrupt.raised()) {
            stopped = true;
            break;
        }
        progress.show(pass);
    }
    progress.clear();
    std::fflush(stdout);

    const MoveSummary &summary = pass.summary();
    const QString report = moveReport(summary);
    QString told;
    if (stopped) {
        told = u"arvelo: interrupted: %1 of %2 files %3, the others stayed where they were.\n"_s
                   .arg(summary.moved)
                   .arg(pass.filesToMove())
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

} // namespace arvelo
