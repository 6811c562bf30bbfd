#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace bench {

// One line of the printed table.
struct Row
{
    QString work;
    QString measured;
    QString target;
};

using Section = std::function<void(QList<Row> &rows)>;

// The order of the window run's section, the one --window keeps.
constexpr int WindowOrder = 400;
// The folder list's section, the one --folder-list keeps.
constexpr int FolderListOrder = 110;
// The command line's section, after the window's, and its undo's, the one --undo keeps.
constexpr int CommandLineOrder = 500;
constexpr int UndoOrder = 510;

bool flagGiven(const char *flag);

// Each bench source registers its section at start-up; main runs them in order and prints.
struct Registration
{
    Registration(int order, Section section);
};

// Set by --million: the rows at a million files (and the largest folder lists) run too.
bool million();
// Set by --window: only the window run, so that the peak memory is that run's alone.
bool windowOnly();

// Median of runs, each a vector of paired timings taken in turns.
double median(QList<double> runs);
// "0.123 s (bare 0.100 s, ratio 1.23)"
QString beside(double measured, double bare);

// Seconds taken by one call of work.
double secondsFor(const std::function<void()> &work);

QString seconds(double value);

// Where fixtures are made: $TMPDIR when set, else /dev/shm (tmpfs), where a million files are
// made and removed in seconds and no disk flush weighs on the timings.
QString scratchBase();
// A new empty folder there.
std::unique_ptr<QTemporaryDir> scratchFolder();
// Flushes the file system that holds `folder`, so that each timed run starts from a clean
// journal and none pays for the one before.
void flush(const QString &folder);
// Undoes a move into artist folders, so that the next run finds the folder as it was: every
// file in a sub-folder goes back into `folder`, and the sub-folders not in `kept` are removed,
// or moved into `aside` when it is given.
void putBack(const QString &folder, const QSet<QByteArray> &kept = {}, const QString &aside = {});

// The move of the command line, done by the core calls alone: `arvelo-bench --core-move FOLDER`
// runs it in a process of its own, to be measured beside `arvelo --move FOLDER`.
int coreMove(const char *folder);
// `arvelo-bench --measure PROGRAM ARGUMENTS...` runs the program with its output thrown away
// and prints its wall time, user time (seconds) and peak memory (MB).
int measureChild(char **argv);

} // namespace bench
