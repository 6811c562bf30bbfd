#include "ByteTree.h"
#include "MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

using namespace Qt::StringLiterals;

using namespace arvelo;

// The scan driven as a user drives it: the Scan button, the progress window, the timer.
class TestScanWindow : public QObject
{
    Q_OBJECT

    // Fills the temporary folder (entries as bytetree::make takes them) and opens the main window
    // on it.
    void start(const QStringList &entries)
    {
        QCOMPARE(bytetree::make(m_folder->path(), entries), QByteArray());
        m_form = &Form1::slot().show(m_folder->path());
    }

    std::optional<QTemporaryDir> m_folder;
    Form1 *m_form = nullptr;

private slots:
    void initTestCase()
    {
#ifdef __SANITIZE_THREAD__
        // QtGui splits large fills across Qt's global thread pool; with more than one pooled
        // thread, the pool's bookkeeping passes between them behind a lock the sanitizer misses.
        QThreadPool::globalInstance()->setMaxThreadCount(1);
#endif
    }

    void workedExample_data()
    {
        QTest::addColumn<bool>("scanFolders");
        QTest::addColumn<bool>("overlookSpaces");
        QTest::addColumn<bool>("convertToUppercase");
        QTest::addColumn<QStringList>("artists");
        QTest::newRow("all options")
            << true << true << true << QStringList {u"Mira Vell"_s, u"Zeno Quill"_s};
        QTest::newRow("without folders") << false << true << true << QStringList {u"Mira Vell"_s};
        QTest::newRow("spaces count") << true << false << true << QStringList {u"Zeno Quill"_s};
        QTest::newRow("case counts") << true << true << false << QStringList {u"Zeno Quill"_s};
    }

    // Each set of options is chosen after a first scan with every option on: a change between
    // two scans takes effect.
    void workedExample()
    {
        QFETCH(bool, scanFolders);
        QFETCH(bool, overlookSpaces);
        QFETCH(bool, convertToUppercase);
        QFETCH(QStringList, artists);
        // Hidden folders and files are never candidates.
        start({u"Archive/"_s, u"Zeno Quill/"_s, u".Solo/"_s, u"Intro.mp3"_s,
            u"Mira  Vell - Two.mp3"_s, u"mira vell - One.mp3"_s, u"Solo - Only.mp3"_s,
            u"Zeno Quill - Blue Road.mp3"_s, u".Solo - x.mp3"_s});
        pressScan(*m_form);
        m_form->Check4->setChecked(scanFolders);
        m_form->Check1->setChecked(overlookSpaces);
        m_form->Check2->setChecked(convertToUppercase);
        pressScan(*m_form);
        QCOMPARE(m_form->List1->items(), artists);
        QCOMPARE(m_form->List3->ListCount(), scanFolders ? 7 : 5);
        QCOMPARE(m_form->List3->List(0), scanFolders ? u"Archive"_s : u"Intro.mp3"_s);
    }

    void progressWindowStandsInWhileScanning()
    {
        start({u"a - 1"_s, u"A - 2"_s});
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        m_form->List1->setItemsInOrder({u"left from before"_s});
        m_form->List2->setItemsInOrder({u"a song"_s});
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(m_form->Command1, Qt::LeftButton);
            // Another program adds a file meanwhile: the lists show it once the scan is over.
            if (round == 0)
                QVERIFY(QFile(m_folder->filePath(u"b - 3"_s)).open(QIODevice::WriteOnly));
            // Nothing is scanned before the first tick; the progress window stands in meanwhile.
            QVERIFY(Caut::slot().isOpen() && Caut::slot().get()->isVisible());
            QVERIFY(!m_form->isVisible());
            // The lists are still what they were before the click.
            QCOMPARE(
                m_form->List1->items(), QStringList {round == 0 ? u"left from before"_s : u"A"_s});
            if (round == 0) {
                // Three lines, broken at the runs of blanks only.
                QCOMPARE(Caut::slot().get()->Label1->displayText(),
                    u"The program is scaning fo songs\nthat have the same artist.\n"
                    u"Please be patient .............."_s);
            }
            QTRY_VERIFY(!Caut::slot().isOpen());
            QVERIFY(m_form->isVisible());
            QCOMPARE(m_form->List1->items(), QStringList {u"A"_s});
            QCOMPARE(m_form->List2->items(), QStringList {u"a song"_s});
            QTRY_COMPARE(
                m_form->File1->items(), (QStringList {u"a - 1"_s, u"A - 2"_s, u"b - 3"_s}));
        }
    }

    void vanishedFolderIsReportedNotFatal()
    {
        start({u"A - 1"_s, u"A - 2"_s});
        const QString gone = m_folder->path();
        QVERIFY(QDir(gone).removeRecursively());

        MessageBoxAnswerer user;
        pressScan(*m_form);
        QTRY_COMPARE(user.texts.size(), 1);
        QVERIFY2(user.texts.first().contains(gone), qPrintable(user.texts.first()));
        QCOMPARE(m_form->List1->ListCount(), 0);
    }

    void moreThan32767FilesScan()
    {
        QStringList files;
        for (int i = 0; i < 40000; ++i)
            files.append(u"Artist %1 - Song %2.mp3"_s.arg(i / 2).arg(i % 2));
        start(files);
        QCOMPARE(m_form->File1->ListCount(), 40000);
        pressScan(*m_form);
        QCOMPARE(m_form->List3->ListCount(), 40000);
        QCOMPARE(m_form->List1->ListCount(), 20000);
    }

    void init()
    {
        m_folder.emplace();
    }
    void cleanup()
    {
        Form1::slot().unload();
        m_folder.reset();
    }
};

QTEST_MAIN(TestScanWindow)
#include "tst_scan_window.moc"
