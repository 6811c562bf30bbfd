#include "ByteTree.h"
#include "MainWindow.h"
#include "RunArvelo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

using namespace Qt::StringLiterals;

using namespace arvelo;

// The worked example: three artists in varying spelling and a single song.
const QByteArrayList workedExample {"Zeta - one.mp3", "ZETA - two.mp3", "Kelo - a.mp3",
    "kelo - b.mp3", "Solo - x.mp3", "Mira Vell - 1.mp3", "mira  vell - 2.mp3"};

// The move driven through the window: scan, strike an artist, press the move button.
class TestMoveWindow : public QObject
{
    Q_OBJECT

    // Everything under the folder; a file's content is its original name.
    QByteArrayList files() const { return bytetree::tree(QFile::encodeName(m_folder->path())); }

    QTemporaryDir *m_folder = nullptr;
    Form1 *m_form = nullptr;
    // The journals of this run alone.
    QTemporaryDir m_state;

private slots:
    void initTestCase()
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_state.path()));
#ifdef __SANITIZE_THREAD__
        // QtGui splits large fills across Qt's global thread pool; with more than one pooled
        // thread, the pool's bookkeeping passes between them behind a lock the sanitizer misses.
        QThreadPool::globalInstance()->setMaxThreadCount(1);
#endif
    }

    void init()
    {
        m_folder = new QTemporaryDir;
        QCOMPARE(bytetree::make(QFile::encodeName(m_folder->path()), workedExample), QByteArray());
        m_form = &scanned(m_folder->path());
        QCOMPARE(m_form->List1->items(), (QStringList {u"Kelo"_s, u"Mira Vell"_s, u"Zeta"_s}));
    }

    void cleanup()
    {
        Form1::slot().unload();
        bytetree::removeTree(QFile::encodeName(m_folder->path())); // Qt misses names not UTF-8
        delete m_folder;
    }

    void moveRunsBehindItsProgressWindow()
    {
        QTest::mouseClick(m_form->Command3, Qt::LeftButton);
        // Nothing has moved yet: the pass waits for the first tick behind the progress window.
        QVERIFY(Form2::slot().isOpen() && Form2::slot().get()->isVisible());
        QVERIFY(!m_form->isVisible());
        QVERIFY(QFile::exists(m_folder->filePath(u"Zeta - one.mp3"_s)));
        QTRY_VERIFY(!Form2::slot().isOpen());
        QVERIFY(m_form->isVisible());

        const QByteArrayList expected {"Kelo/", "Kelo/Kelo - a.mp3=Kelo - a.mp3",
            "Kelo/kelo - b.mp3=kelo - b.mp3", "Mira Vell/",
            "Mira Vell/Mira Vell - 1.mp3=Mira Vell - 1.mp3",
            "Mira Vell/mira  vell - 2.mp3=mira  vell - 2.mp3", "Solo - x.mp3=Solo - x.mp3", "Zeta/",
            "Zeta/ZETA - two.mp3=ZETA - two.mp3", "Zeta/Zeta - one.mp3=Zeta - one.mp3"};
        QCOMPARE(files(), expected);
        // The folder is read again: the file list keeps only what stayed, the folder list shows
        // the new folders; the artist list is the user's and stays.
        QCOMPARE(m_form->File1->items(), QStringList {u"Solo - x.mp3"_s});
        for (const QString &folder : {u"Kelo"_s, u"Mira Vell"_s, u"Zeta"_s})
            QCOMPARE(m_form->Dir1->findItems(folder, Qt::MatchExactly).size(), 1);
        QCOMPARE(m_form->List1->ListCount(), 3);
        // Pressed again: nothing more moves, nothing is lost.
        QCOMPARE(pressMove(*m_form), QStringList());
        QCOMPARE(files(), expected);
    }

    void struckArtistStaysAndFoldersKeepFirstSpelling()
    {
        m_form->List1->setListIndex(m_form->List1->items().indexOf(u"Kelo"_s));
        QTest::mouseClick(m_form->Command2, Qt::LeftButton);
        m_form->Check3->setChecked(false);
        // A struck artist's files stay by the user's choice: nothing to report.
        QCOMPARE(pressMove(*m_form), QStringList());
        // Without beautifying, each folder is named after the spelling of its first file in the
        // file list's order, blanks kept.
        QCOMPARE(files(),
            (QByteArrayList {"Kelo - a.mp3=Kelo - a.mp3", "Solo - x.mp3=Solo - x.mp3", "Zeta/",
                "Zeta/ZETA - two.mp3=ZETA - two.mp3", "Zeta/Zeta - one.mp3=Zeta - one.mp3",
                "kelo - b.mp3=kelo - b.mp3", "mira  vell/",
                "mira  vell/Mira Vell - 1.mp3=Mira Vell - 1.mp3",
                "mira  vell/mira  vell - 2.mp3=mira  vell - 2.mp3"}));
    }

    void commandLineDoesAsTheWindow_data()
    {
        // Entries beside the worked example, as bytetree::make takes them.
        QTest::addColumn<QByteArrayList>("beside");
        QTest::addColumn<bool>("someStay");
        QTest::newRow("worked example") << QByteArrayList {} << false;
        QTest::newRow("a name already taken")
            << QByteArrayList {"Zeta/", "Zeta/Zeta - one.mp3"} << true;
        QTest::newRow("case-only folder reuse") << QByteArrayList {"kelo/"} << false;
        QTest::newRow("names not UTF-8") << QByteArrayList {"Caf\xe9 - a", "CAF\xe9 - b"} << false;
        QTest::newRow("a link where a folder should be")
            << QByteArrayList {"Mira Vell@/nowhere"} << true;
        QTest::newRow("nothing moved")
            << QByteArrayList {"Kelo@/nowhere", "Mira Vell@/nowhere", "Zeta@/nowhere"} << true;
    }

    void commandLineDoesAsTheWindow()
    {
#ifdef __SANITIZE_THREAD__
        // QProcess starts the program with a vfork-like clone() that shares this process' memory;
        // the thread sanitizer's hook on clone() takes it for a fork and stops checking this
        // process.
        QSKIP("The thread sanitizer cannot follow QProcess's vfork-like start");
#endif
        QFETCH(QByteArrayList, beside);
        QFETCH(bool, someStay);
        // The same folder twice: the window sorts one, the command line the other.
        const QByteArray window = QFile::encodeName(m_folder->filePath(u"window"_s));
        const QByteArray commandLine = QFile::encodeName(m_folder->filePath(u"commandLine"_s));
        for (const QByteArray &folder : {window, commandLine})
            QCOMPARE(bytetree::make(folder, workedExample + beside), QByteArray());
        Form1::slot().unload();
        m_form = &scanned(decodeName(window));

        const ArveloRun scan = runArvelo({"--scan", commandLine});
        QByteArray listed;
        for (const QString &artist : m_form->List1->items())
            listed += encodeName(artist) + '\n';
        QCOMPARE(scan.out, listed);
        QCOMPARE(scan.exitCode, 0);

        const QByteArrayList before = bytetree::tree(commandLine, true);
        const ArveloRun plan = runArvelo({"--move", "--dry-run", commandLine});
        QCOMPARE(bytetree::tree(commandLine, true), before);

        const QStringList told = pressMove(*m_form);
        const ArveloRun move = runArvelo({"--move", "--verbose", commandLine});
        QCOMPARE(bytetree::tree(commandLine), bytetree::tree(window));
        QCOMPARE(told.size(), someStay ? 1 : 0);
        // The window's report, less its hint at its own Ctrl+Z, given only when something moved.
        const QString hint = u"\n\nPress Ctrl+Z to move them back."_s;
        QCOMPARE(told.value(0).endsWith(hint), someStay && move.out.contains(" -> "));
        const QByteArray report
            = someStay ? QString(told.first()).remove(hint).toUtf8() + '\n' : QByteArray();
        QCOMPARE(move.err, report);
        QCOMPARE(move.exitCode, someStay ? 1 : 0);
        // The plan is the moves made, line for line, and foresees what stays.
        QCOMPARE(plan.out, move.out);
        QCOMPARE(plan.exitCode, move.exitCode);
        QVERIFY(plan.err.endsWith(report));
    }

    void ctrlZTakesTheMoveBack_data()
    {
        // Another program puts new files under the moved files' names: every one would stay.
        QTest::addColumn<bool>("namesRetaken");
        QTest::newRow("every file goes back") << false;
        QTest::newRow("every file stays") << true;
    }

    void ctrlZTakesTheMoveBack()
    {
        QFETCH(bool, namesRetaken);
        const QByteArrayList before = files();
        QCOMPARE(pressMove(*m_form), QStringList());
        for (const QByteArray &name : workedExample) {
            if (namesRetaken && name != "Solo - x.mp3")
                QVERIFY(
                    bytetree::makeFile(QFile::encodeName(m_folder->filePath(decodeName(name)))));
        }
        const QByteArrayList moved = files();
        const QString folder = m_form->File1->Path();
        const auto pressCtrlZ = [&](QMessageBox::StandardButton answer) {
            MessageBoxAnswerer user(20, answer);
            // The shortcut belongs to the window that has the keyboard.
            QApplication::setActiveWindow(m_form);
            QTest::keyClick(m_form, Qt::Key_Z, Qt::ControlModifier);
            // The question comes once the worker has counted, the window once the undo is over.
            [&] { QTRY_VERIFY(!user.texts.isEmpty() && !m_form->isBusy()); }();
            return user.texts;
        };
        const QStringList asked {
            u"Move the 6 files of the last move back into \"%1\"?"_s.arg(folder)};
        QCOMPARE(pressCtrlZ(QMessageBox::No), asked);
        QCOMPARE(files(), moved);

        if (namesRetaken) {
            // Counted, offered, and told why they stay.
            QCOMPARE(pressCtrlZ(QMessageBox::Yes),
                asked
                    + QStringList {u"6 files stayed where they were.\n\n"
                                   u"A file of that name is in the selected folder: 6\n\n"
                                   u"Zeta/ZETA - two.mp3\nZeta/Zeta - one.mp3\n"
                                   u"Mira Vell/Mira Vell - 1.mp3\nMira Vell/mira  vell - 2.mp3\n"
                                   u"Kelo/kelo - b.mp3\nKelo/Kelo - a.mp3"_s});
            QCOMPARE(files(), moved);
            // Still in their artist folders: the move stays there to be taken back.
            QCOMPARE(pressCtrlZ(QMessageBox::No), asked);
        } else {
            QCOMPARE(pressCtrlZ(QMessageBox::Yes), asked);
            QCOMPARE(files(), before);
            // Both lists show the folder as it is again.
            QCOMPARE(m_form->File1->ListCount(), 7);
            QVERIFY(m_form->Dir1->findItems(u"Kelo"_s, Qt::MatchExactly).isEmpty());
            QCOMPARE(pressCtrlZ(QMessageBox::Yes),
                QStringList {u"There is no move to undo in \"%1\"."_s.arg(folder)});
            // A folder gone from its path is said to be so, not to have no move.
            const QByteArray gone = QFile::encodeName(folder + u".gone"_s);
            QCOMPARE(::rename(QFile::encodeName(folder), gone), 0);
            QCOMPARE(pressCtrlZ(QMessageBox::Yes),
                QStringList {u"The folder \"%1\" could not be read."_s.arg(folder)});
            QCOMPARE(::rename(gone, QFile::encodeName(folder)), 0);
        }
    }

    void folderReplacedSinceListed_data()
    {
        // Then a file changes in the listed folder, so the lists read their path again.
        QTest::addColumn<bool>("reread");
        QTest::newRow("as listed") << false;
        QTest::newRow("read again since") << true;
    }

    void folderReplacedSinceListed()
    {
        // Another folder takes the listed one's path: neither is moved in, nor scanned.
        QFETCH(bool, reread);
        const QString path = m_folder->path();
        const QByteArray listed = QFile::encodeName(path + u".listed"_s);
        QCOMPARE(::rename(QFile::encodeName(path), listed), 0);
        QCOMPARE(bytetree::make(path, {u"Zeta - other.mp3"_s}), QByteArray());
        if (reread) {
            QVERIFY(bytetree::makeFile(listed + "/Zeta - new.mp3"));
            // The lists do not take the other folder for the one listed.
            QTRY_COMPARE(m_form->File1->ListCount(), 0);
        }

        MessageBoxAnswerer user;
        QTest::mouseClick(m_form->Command3, Qt::LeftButton);
        QTRY_COMPARE(user.texts.size(), 1);
        QTRY_VERIFY(
            !Form2::slot().isOpen() && m_form->isVisible() && !QApplication::activeModalWidget());
        pressScan(*m_form);
        QTRY_COMPARE(user.texts.size(), 2);
        const QString message
            = u"The folder \"%1\" has changed since it was listed. Choose it again."_s;
        QCOMPARE(user.texts, QStringList(2, message.arg(path)));
        QCOMPARE(files(), QByteArrayList {"Zeta - other.mp3=Zeta - other.mp3"});
        QCOMPARE(QDir(QFile::decodeName(listed)).entryList(QDir::Files).size(), reread ? 8 : 7);
        // Chosen again, it is listed afresh.
        QTest::keyClick(m_form->Dir1, Qt::Key_Return);
        QCOMPARE(m_form->File1->items(), QStringList {u"Zeta - other.mp3"_s});

        QVERIFY(QDir(path).removeRecursively());
        QCOMPARE(::rename(listed, QFile::encodeName(path)), 0);
    }

    void vanishedFolderTakesItsScanAlong()
    {
        // The lists follow a vanished folder up to its parent; the artists scanned in the folder go
        // with it, so a Move there moves nothing of the parent's.
        QTemporaryDir parent;
        const QByteArray top = QFile::encodeName(parent.path());
        QCOMPARE(bytetree::make(top, {"inner/Kelo - a", "inner/Kelo - b", "Kelo - c", "Kelo - d"}),
            QByteArray());
        Form1::slot().unload();
        m_form = &scanned(parent.filePath(u"inner"_s));
        QCOMPARE(m_form->List1->items(), QStringList {u"Kelo"_s});
        QVERIFY(QDir(parent.filePath(u"inner"_s)).removeRecursively());
        QTRY_COMPARE(m_form->Dir1->Path(), parent.path());
        QCOMPARE(m_form->List1->ListCount(), 0);
        pressMove(*m_form);
        QCOMPARE(bytetree::tree(top), (QByteArrayList {"Kelo - c=Kelo - c", "Kelo - d=Kelo - d"}));
    }
};

QTEST_MAIN(TestMoveWindow)
#include "tst_move_window.moc"
