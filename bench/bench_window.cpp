// The program as a user runs it, on the windows' own thread: start on a folder of songs, Scan,
// Move. A timer that asks to run every 2 ms tells how long the event loop was held at most; the
// one part allowed to hold it is re-reading the folder into the lists after the move.
// With ARVELO_STUCK_RENAME set (and the slow-rename shim preloaded), a file of that name is the
// first one the move renames.
#include "bench.h"
#include "synthetic.h"

#include "windows/Form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <malloc.h>

using namespace Qt::StringLiterals;

namespace {

// The longest time between two turns of the event loop since the last reset.
class GapWatch : public QObject
{
public:
    GapWatch()
    {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_timer.start(2);
    }
    void reset()
    {
        m_last = m_clock.nsecsElapsed();
        m_longest = 0;
    }
    // Counts the time since the last turn too, for a loop held right now.
    double longestSeconds() const
    {
        return std::max(m_longest, m_clock.nsecsElapsed() - m_last) / 1e9;
    }

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Notes the moment a window is shown again.
class ShownWatch : public QObject
{
public:
    explicit ShownWatch(std::function<void()> shown)
        : m_shown(std::move(shown))
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            m_shown();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
};

// Presses the button and waits until the main window is back; the longest gap until it is
// shown again. The watch then measures what follows in the same turn of the loop and after:
// the lists read again, the report.
std::pair<double, double> pressAndWait(Form1 &form, QPushButton *button, GapWatch &watch)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    double taken = 0, gap = 0;
    ShownWatch shown([&] {
        if (taken == 0) {
            taken = clock.nsecsElapsed() / 1e9;
            gap = watch.longestSeconds();
            watch.reset();
        }
    });
    form.installEventFilter(&shown);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (form.isVisible() && taken != 0)
            loop.quit();
    });
    watch.reset();
    clock.start();
    button->click();
    poll.start(1);
    loop.exec();
    form.removeEventFilter(&shown);
    return {taken, gap};
}

void windowSection(QList<bench::Row> &rows)
{
    const QLocale english(QLocale::English);
    const qsizetype files = bench::million() ? 1'000'000 : 20'000;
    const auto folder = bench::makeSongFolder(files, files / 100);
    // The million names made up for the folder are freed, but the C library keeps their pages;
    // handed back, they do not count towards the program's peak.
    ::malloc_trim(0);
    const QString stuck = qEnvironmentVariable("ARVELO_STUCK_RENAME");
    if (!stuck.isEmpty()) {
        for (const QString &name : {stuck, u"Aaa - second.mp3"_s})
            QFile(folder->filePath(name)).open(QIODevice::WriteOnly);
    }
    const QString size = english.toString(files) + u" files"_s;

    // The report of files that stayed is read and closed, as a user would.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &answerer, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    answerer.start(50);

    GapWatch watch;
    Form1 *form = nullptr;
    const double start = bench::secondsFor([&] { form = &Form1::slot().show(folder->path()); });
    rows.append({u"window: start to window shown, "_s + size, bench::seconds(start), QString()});

    const auto [scan, scanGap] = pressAndWait(*form, form->Command1, watch);
    rows.append({u"window: Scan click to list, "_s + size + u" ("_s
            + english.toString(form->List1->ListCount()) + u" artists)"_s,
        bench::seconds(scan) + u", longest gap "_s + bench::seconds(scanGap), u"gap <= 0.1 s"_s});

    const auto [move, moveGap] = pressAndWait(*form, form->Command3, watch);
    // The lists are read again right after the window is back (and the report is shown).
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    rows.append({u"window: Move click to window back, "_s + size,
        bench::seconds(move) + u", longest gap "_s + bench::seconds(moveGap), u"gap <= 0.1 s"_s});
    rows.append({u"window: lists read again after the move, "_s + size,
        u"longest gap "_s + bench::seconds(watch.longestSeconds()), u"bounded by the fill"_s});
    Form1::slot().unload();
}

const bench::Registration registration(bench::WindowOrder, windowSection);

} // namespace
