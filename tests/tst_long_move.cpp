// A long move on a slow disk: every rename is slowed down (see shims/slow_rename.cpp), and the
// program must keep answering while the files move.
#include "core/ArtistFolders.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "widgets/TextBox.h"

#include "ByteTree.h"
#include "MainWindow.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

constexpr int Artists = 300;
constexpr int SongsEach = 10;

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    using QObject::QObject;
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class TestLongMove : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { unloadWindows(); }

    void programAnswersWhileFilesMove()
    {
        QVERIFY2(qEnvironmentVariableIntValue("ARVELO_SLOW_RENAME_US") > 0,
            "run with the slow-rename shim preloaded");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QStringList names {u"Solo - x.mp3"_s, u"Taken - 1.mp3"_s};
        for (int a = 0; a < Artists; ++a)
            for (int s = 0; s < SongsEach; ++s)
                names.append(u"Artist %1 - Song %2.mp3"_s.arg(a, 3, 10, QChar(u'0')).arg(s));
        // A file of that name already stands in its artist folder, so the first one stays.
        QCOMPARE(bytetree::make(folder.path(), names + QStringList {u"Taken/Taken - 1.mp3"_s}),
            QByteArray());

        Form1 &form = scanned(folder.path());
        QCOMPARE(form.List1->ListCount(), Artists + 1);

        MessageBoxAnswerer user;
        QList<int> progress;
        QSet<int> maxima;
        int ticks = 0;
        // The move's own renames must not make the file list read the folder meanwhile.
        const QStringList listedBefore = form.File1->items();
        bool probed = false, closeRefused = false, secondScan = false, helpShown = false,
             listRead = false;
        PaintCounter painted;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            Form2 *moving = Form2::slot().get();
            if (!moving)
                return;
            if (++ticks == 1)
                moving->installEventFilter(&painted);
            // As when another window has uncovered it.
            moving->update();
            if (moving->progressBar->isVisible()) {
                progress.append(moving->progressBar->value());
                maxima.insert(moving->progressBar->maximum());
            }
            listRead |= form.File1->items() != listedBefore;
            // Once the move itself is under way, as its bar shows.
            if (!probed && moving->progressBar->isVisible()) {
                probed = true;
                // Alt+F4 or the window manager's close: refused while the files move.
                moving->close();
                closeRefused = Form2::slot().isOpen() && moving->isVisible();
                // Nothing reachable starts a second scan or move (which would report again).
                form.Command1->click();
                form.Command3->click();
                secondScan = Caut::slot().isOpen();
            }
            if (ticks == 10) {
                Help &help = Help::slot().show();
                helpShown = help.isVisible() && !help.Text1->Text().isEmpty();
                help.Command1->click();
            }
        });
        sampler.start(20);

        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QVERIFY(Form2::slot().isOpen());
        QTRY_VERIFY_WITH_TIMEOUT(!Form2::slot().isOpen(), 60000);
        QTRY_COMPARE(user.texts.size(), 1);
        QVERIFY(!QTest::qWaitFor([&] { return user.texts.size() > 1; }, 1000));

        // The event loop kept turning: ticks, repaints, a usable help window.
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
        QVERIFY2(painted.paints >= 10, qPrintable(QString::number(painted.paints)));
        QCOMPARE((QList<bool> {probed, closeRefused, secondScan, helpShown, listRead}),
            (QList<bool> {true, true, false, true, false}));
        // The bar appeared and went forward.
        QVERIFY2(progress.size() >= 3, qPrintable(QString::number(progress.size())));
        QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
        QVERIFY(progress.first() < progress.last());
        // Out of every file but the single song, from the first showing on.
        QCOMPARE(maxima, QSet<int> {int(names.size()) - 1});
        QVERIFY(user.texts.first().contains(u"Taken - 1.mp3"_s));
        // The window is back and the files moved. (The lists read the folder again as after any
        // move, which tst_move_window checks.)
        QVERIFY(form.isVisible());
        QCOMPARE(QDir(folder.filePath(u"Artist 042"_s)).entryList(QDir::Files).size(), SongsEach);
    }

    // One rename hangs for seconds (the shim's stuck file, the first one the pass reaches): only
    // the worker waits, and the move ends as the same pass run in one call on the same files.
    void hangingRenameKeepsOnlyTheWorkWaiting()
    {
        const QString stuck = qEnvironmentVariable("ARVELO_STUCK_RENAME");
        QVERIFY2(!stuck.isEmpty(), "run with the slow-rename shim and a stuck file named");
        const QStringList names {stuck, u"Aaa - two.mp3"_s, u"Bee - 1.mp3"_s, u"Bee - 2.mp3"_s,
            u"Taken - 1.mp3"_s, u"Taken - 2.mp3"_s, u"Taken/Taken - 1.mp3"_s};
        QTemporaryDir folder, reference;
        QCOMPARE(bytetree::make(folder.path(), names), QByteArray());
        QCOMPARE(bytetree::make(reference.path(), names), QByteArray());

        Form1 &form = scanned(folder.path());
        const QStringList artists = form.List1->items();
        QCOMPARE(artists.first(), u"Aaa"_s);
        const QStringList files = form.File1->items();

        MessageBoxAnswerer user;
        int blockedTicks = 0, paintsWhileBlocked = 0;
        bool unchanged = true;
        PaintCounter painted;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            Form2 *moving = Form2::slot().get();
            // From its artist's folder made until the stuck file leaves, its rename is what the
            // move waits on.
            if (!moving || !QFileInfo(folder.filePath(u"Aaa"_s)).isDir()
                || !QFile::exists(folder.filePath(stuck)))
                return;
            if (blockedTicks++ == 0)
                moving->installEventFilter(&painted);
            paintsWhileBlocked = painted.paints;
            unchanged = unchanged && moving->windowTitle() == u"Moving Files"_s
                && moving->Label1->text()
                    == u"Please be patient while the program is moving files."_s;
            moving->update();
        });
        sampler.start(20);
        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!Form2::slot().isOpen(), 60000);
        QTRY_COMPARE(user.texts.size(), 1);
        sampler.stop();

        // A 3 s wait leaves room for about 150 ticks; a loop held by the rename gives one.
        QVERIFY2(blockedTicks >= 20, qPrintable(QString::number(blockedTicks)));
        QVERIFY2(paintsWhileBlocked >= 5, qPrintable(QString::number(paintsWhileBlocked)));
        QVERIFY(unchanged);

        arvelo::MovePass alone(std::make_unique<arvelo::DiskFolders>(
                                   arvelo::ListedFolder(reference.path(), std::nullopt)),
            reference.path(), {artists, files});
        alone.step();
        QCOMPARE(user.texts.first(),
            arvelo::moveReport(alone.summary()) + u"\n\nPress Ctrl+Z to move them back."_s);
        QCOMPARE(bytetree::tree(QFile::encodeName(folder.path())),
            bytetree::tree(QFile::encodeName(reference.path())));
    }

    // The program ends while the files move: the move stops after the file in hand.
    void quittingStopsTheMove()
    {
        QTemporaryDir folder;
        QStringList names;
        for (int song = 0; song < Artists * SongsEach; ++song)
            names.append(u"Artist %1 - Song %2.mp3"_s.arg(song % Artists).arg(song));
        QCOMPARE(bytetree::make(folder.path(), names), QByteArray());
        Form1 &form = scanned(folder.path());

        QTest::mouseClick(form.Command3, Qt::LeftButton);
        // The program is told to exit once the bar shows files moving.
        QTimer quitter;
        connect(&quitter, &QTimer::timeout, this, [] {
            const Form2 *moving = Form2::slot().get();
            if (!moving || moving->progressBar->isVisible())
                QCoreApplication::exit(0);
        });
        quitter.start(20);
        QTimer::singleShot(60000, &quitter, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        quitter.stop();

        const bytetree::Files stopped = bytetree::files(QFile::encodeName(folder.path()));
        QCOMPARE(stopped.size(), names.size());
        const auto moved = std::ranges::count_if(
            stopped, [](const auto &file) { return file.first.contains('/'); });
        QVERIFY2(moved > 0 && moved < names.size(), qPrintable(QString::number(moved)));
        // Nothing moves after that.
        QTest::qWait(300);
        QCOMPARE(bytetree::files(QFile::encodeName(folder.path())), stopped);
    }

    void progressBarIsOneForTheScreenReader()
    {
        Form2 &moving = Form2::slot().show();
        QVERIFY(moving.progressBar->isHidden());
        const QSize before = moving.size();
        moving.showProgress(3, 10);
        QVERIFY(moving.progressBar->isVisible());
        QVERIFY(moving.height() > before.height());
        // The message stays where it was, above the bar.
        QVERIFY(moving.Label1->geometry().bottom() < moving.progressBar->geometry().top());
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(moving.progressBar);
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::ProgressBar);
        QVERIFY(bar->valueInterface());
        QCOMPARE(bar->valueInterface()->currentValue().toInt(), 3);
        QCOMPARE(bar->valueInterface()->maximumValue().toInt(), 10);
    }
};

QTEST_MAIN(TestLongMove)
#include "tst_long_move.moc"
