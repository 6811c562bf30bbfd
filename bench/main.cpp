// arvelo-bench: times the program's work at scale and prints one table.
#include "bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <sys/resource.h>

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

} // namespace bench

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArrayView(argv[1]) == "--core-move")
        return bench::coreMove(argv[2]);
    // The list controls are widgets; no display is needed to time them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QList<bench::Row> rows;
    // Usage: arvelo-bench [--million] [--window | --folder-list]
    const bool folderListOnly = bench::flagGiven("--folder-list");
    for (const auto &[order, section] : bench::sections()) {
        if (bench::windowOnly()  ? order == bench::WindowOrder
                : folderListOnly ? order == bench::FolderListOrder
                                 : true)
            section(rows);
    }
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
