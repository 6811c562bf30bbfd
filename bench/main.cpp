// arvelo-bench: times the program's work at scale and prints one table.
#include "bench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTextStream>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

std::multimap<int, Section> &sections()
{
    static std::multimap<int, Section> all;
    return all;
}

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

} // namespace

bool flagGiven(const char *flag)
{
    return QCoreApplication::arguments().contains(QLatin1StringView(flag));
}

bool million()
{
    return flagGiven("--million");
}

bool windowOnly()
{
    return flagGiven("--window");
}

double median(QList<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs.isEmpty() ? 0 : runs.at(runs.size() / 2);
}

QString beside(double measured, double bare)
{
    return seconds(measured) + u" (bare "_s + seconds(bare) + u", ratio "_s
        + QString::number(measured / bare, 'f', 2) + u')';
}

Registration::Registration(int order, Section section)
{
    sections().emplace(order, std::move(section));
}

double secondsFor(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

QString seconds(double value)
{
    return QString::number(value, 'f', 3) + u" s"_s;
}

QString scratchBase()
{
    static const QString base = [] {
        const QFileInfo shm(u"/dev/shm"_s);
        return qEnvironmentVariableIsEmpty("TMPDIR") && shm.isDir() && shm.isWritable()
            ? shm.filePath()
            : QDir::tempPath();
    }();
    return base;
}

std::unique_ptr<QTemporaryDir> scratchFolder()
{
    auto folder = std::make_unique<QTemporaryDir>(scratchBase() + u"/arvelo-bench-XXXXXX"_s);
    if (!folder->isValid())
        qFatal("cannot create a folder in %s", qPrintable(scratchBase()));
    return folder;
}

void flush(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::syncfs(fd) != 0)
        qFatal("cannot flush %s", qPrintable(folder));
    ::close(fd);
}

void putBack(const QString &folder, const QSet<QByteArray> &kept, const QString &aside)
{
    static int setAside = 0;
    const int top = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    DIR *dir = top < 0 ? nullptr : ::fdopendir(::dup(top));
    if (!dir)
        qFatal("cannot read %s", qPrintable(folder));
    QByteArrayList subFolders;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (entry->d_type == DT_DIR && name != "." && name != "..")
            subFolders.append(name);
    }
    ::closedir(dir);
    for (const QByteArray &name : std::as_const(subFolders)) {
        const int sub = ::openat(top, name.constData(), O_RDONLY | O_DIRECTORY);
        DIR *inner = sub < 0 ? nullptr : ::fdopendir(sub);
        if (!inner)
            qFatal("cannot read %s", name.constData());
        // Read whole before anything moves: renames during readdir may skip or repeat names.
        QByteArrayList files;
        while (const dirent *entry = ::readdir(inner)) {
            if (entry->d_type != DT_DIR)
                files.append(QByteArray(entry->d_name));
        }
        for (const QByteArray &file : std::as_const(files)) {
            if (::renameat2(sub, file.constData(), top, file.constData(), RENAME_NOREPLACE) != 0)
                qFatal("cannot put %s back", file.constData());
        }
        ::closedir(inner);
        if (kept.contains(name))
            continue;
        if (aside.isEmpty()) {
            if (::unlinkat(top, name.constData(), AT_REMOVEDIR) != 0)
                qFatal("cannot remove %s", name.constData());
            continue;
        }
        const QByteArray to = QFile::encodeName(aside) + '/' + QByteArray::number(setAside++);
        if (::renameat(top, name.constData(), AT_FDCWD, to.constData()) != 0)
            qFatal("cannot set %s aside", name.constData());
    }
    ::close(top);
}

} // namespace bench

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArrayView(argv[1]) == "--core-move")
        return bench::coreMove(argv[2]);
    if (argc >= 3 && QByteArrayView(argv[1]) == "--measure")
        return bench::measureChild(argv + 2);
    // The list controls are widgets; no display is needed to time them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The moves of the window and of the command line keep their journals here, on the disk as
    // they would in use, and not among the user's own: each run's folders are new ones.
    const QTemporaryDir state;
    if (!state.isValid())
        qFatal("cannot create a folder for the journals");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));

    QList<bench::Row> rows;
    // Usage: arvelo-bench [--million] [--window | --folder-list | --undo]
    const bool folderListOnly = bench::flagGiven("--folder-list");
    const bool undoOnly = bench::flagGiven("--undo");
    for (const auto &[order, section] : bench::sections()) {
        if (bench::windowOnly()  ? order == bench::WindowOrder
                : folderListOnly ? order == bench::FolderListOrder
                : undoOnly       ? order == bench::UndoOrder
                                 : true)
            section(rows);
    }
    // The ratios to bare system calls depend on the file system: say which one they ran on.
    const auto place = [](const QString &path) {
        return path + u" ("_s + QString::fromUtf8(QStorageInfo(path).fileSystemType()) + u')';
    };
    rows.append(
        {u"folders timed in (stepped passes and journals: "_s + place(QDir::tempPath()) + u')',
            place(bench::scratchBase()), QString()});
    rows.append({bench::windowOnly() ? u"peak memory (window run: start, Scan, Move)"_s
                                     : u"peak memory (whole run)"_s,
        QString::number(bench::peakMegabytes(), 'f', 1) + u" MB"_s,
        bench::windowOnly() && bench::million() ? u"<= 300 MB"_s
            : bench::million()                  ? QString()
                                                : u"<= 150 MB"_s});

    qsizetype workWidth = 4, measuredWidth = 8;
    for (const bench::Row &row : std::as_const(rows)) {
        workWidth = std::max(workWidth, row.work.size());
        measuredWidth = std::max(measuredWidth, row.measured.size());
    }
    QTextStream out(stdout);
    out << u"work"_s.leftJustified(workWidth) << u" | "_s
        << u"measured"_s.leftJustified(measuredWidth) << u" | target\n"_s;
    out << QString(workWidth, u'-') << u"-|-"_s << QString(measuredWidth, u'-') << u"-|-------\n"_s;
    for (const bench::Row &row : std::as_const(rows))
        out << row.work.leftJustified(workWidth) << u" | "_s
            << row.measured.leftJustified(measuredWidth) << u" | "_s << row.target << u'\n';
    return 0;
}
