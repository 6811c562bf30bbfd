#include "app/Form1.h"
#include "windows/Caut.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace arvelo;

// The scan driven as a user drives it: the Scan button, the progress window, the timer.
class TestScanWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void workedExample_data();
    void workedExample();
    void progressWindowStandsInWhileScanning();
    void optionsChangedBetweenScansTakeEffect();
    void hiddenAndDotFoldersAreNeverCandidates();
    void vanishedFolderIsReportedNotFatal();
    void moreThan32767FilesScan();

private:
    void makeFiles(const QStringList &names);
    void scan();

    QTemporaryDir *m_folder = nullptr;
    Form1 *m_form = nullptr;
};

void TestScanWindow::init()
{
    m_folder = new QTemporaryDir;
    QVERIFY(m_folder->isValid());
}

void TestScanWindow::cleanup()
{
    Caut::slot().unload();
    Form1::slot().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(QDir::tempPath());
    delete m_folder;
    m_form = nullptr;
}

void TestScanWindow::makeFiles(const QStringList &names)
{
    for (const QString &name : names) {
        QFile file(m_folder->filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
    }
}

// Presses Scan and waits until the main window is back.
void TestScanWindow::scan()
{
    QTest::mouseClick(m_form->Command1, Qt::LeftButton);
    QTRY_VERIFY(!Caut::slot().isOpen());
    QVERIFY(m_form->isVisible());
}

void TestScanWindow::workedExample_data()
{
    QTest::addColumn<bool>("scanFolders");
    QTest::addColumn<bool>("overlookSpaces");
    QTest::addColumn<QStringList>("artists");

    QTest::newRow("all options") << true << true << QStringList{u"Mira Vell"_qs, u"Zeno Quill"_qs};
    QTest::newRow("without folders") << false << true << QStringList{u"Mira Vell"_qs};
    QTest::newRow("spaces count") << true << false << QStringList{u"Zeno Quill"_qs};
}

void TestScanWindow::workedExample()
{
    QFETCH(bool, scanFolders);
    QFETCH(bool, overlookSpaces);
    QFETCH(QStringList, artists);

    QDir folder(m_folder->path());
    QVERIFY(folder.mkdir(u"Archive"_qs));
    QVERIFY(folder.mkdir(u"Zeno Quill"_qs));
    makeFiles({u"Intro.mp3"_qs, u"Mira  Vell - Two.mp3"_qs, u"mira vell - One.mp3"_qs,
               u"Solo - Only.mp3"_qs, u"Zeno Quill - Blue Road.mp3"_qs});
    QVERIFY(QDir::setCurrent(m_folder->path()));
    m_form = &Form1::slot().show();
    m_form->Check4->setChecked(scanFolders);
    m_form->Check1->setChecked(overlookSpaces);

    scan();
    QCOMPARE(m_form->List1->items(), artists);
    if (scanFolders) {
        QCOMPARE(m_form->List3->items(),
                 (QStringList{u"Archive"_qs, u"Intro.mp3"_qs, u"Mira  Vell - Two.mp3"_qs,
                              u"mira vell - One.mp3"_qs, u"Solo - Only.mp3"_qs, u"Zeno Quill"_qs,
                              u"Zeno Quill - Blue Road.mp3"_qs}));
    }
}

void TestScanWindow::progressWindowStandsInWhileScanning()
{
    makeFiles({u"a - 1"_qs, u"A - 2"_qs});
    QVERIFY(QDir::setCurrent(m_folder->path()));
    m_form = &Form1::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->List1->AddItem(u"left from before"_qs);
    m_form->List2->AddItem(u"a song"_qs);

    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(m_form->Command1, Qt::LeftButton);
        // Nothing is scanned before the first tick; the progress window stands in meanwhile.
        Caut *progress = Caut::slot().get();
        QVERIFY(progress);
        QVERIFY(progress->isVisible());
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->Timer1->isActive());
        if (round == 0)
            QCOMPARE(m_form->List1->items(), QStringList{u"left from before"_qs});
        QCOMPARE(progress->windowTitle(), u"Search in progres"_qs);
        QCOMPARE(progress->Label1->text().size(), 129);
        QVERIFY(!(progress->windowFlags() & Qt::WindowCloseButtonHint));

        QTRY_VERIFY(!Caut::slot().isOpen());
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->Timer1->isActive());
        QCOMPARE(m_form->List1->items(), QStringList{u"A"_qs});
        QCOMPARE(m_form->List2->items(), QStringList{u"a song"_qs});
    }
}

void TestScanWindow::optionsChangedBetweenScansTakeEffect()
{
    makeFiles({u"zeno quill - a.mp3"_qs, u"Zeno Quill - b.mp3"_qs, u"Zeno  Quill - c.mp3"_qs});
    QVERIFY(QDir::setCurrent(m_folder->path()));
    m_form = &Form1::slot().show();
    scan();
    QCOMPARE(m_form->List1->items(), QStringList{u"Zeno Quill"_qs});
    m_form->Check2->setChecked(false);
    m_form->Check1->setChecked(false);
    scan();
    QCOMPARE(m_form->List1->ListCount(), 0);
    m_form->Check1->setChecked(true);
    scan();
    QCOMPARE(m_form->List1->items(), QStringList{u"Zeno Quill"_qs});
}

void TestScanWindow::hiddenAndDotFoldersAreNeverCandidates()
{
    QDir folder(m_folder->path());
    QVERIFY(folder.mkdir(u".Zeno"_qs));
    QVERIFY(folder.mkdir(u"Kelo"_qs));
    makeFiles({u".Zeno - x.mp3"_qs, u"Kelo - Dancing Queen"_qs});
    QVERIFY(QDir::setCurrent(m_folder->path()));
    m_form = &Form1::slot().show();
    scan();
    QCOMPARE(m_form->List3->items(),
             (QStringList{u"Kelo"_qs, u"Kelo - Dancing Queen"_qs}));
    QCOMPARE(m_form->List1->items(), QStringList{u"Kelo"_qs});
}

void TestScanWindow::vanishedFolderIsReportedNotFatal()
{
    const QString gone = m_folder->filePath(u"Gone"_qs);
    QVERIFY(QDir().mkpath(gone));
    QFile(gone + u"/A - 1"_qs).open(QIODevice::WriteOnly);
    QFile(gone + u"/A - 2"_qs).open(QIODevice::WriteOnly);
    QVERIFY(QDir::setCurrent(gone));
    m_form = &Form1::slot().show();
    QCOMPARE(m_form->File1->ListCount(), 2);
    QVERIFY(QDir::setCurrent(m_folder->path()));
    QVERIFY(QDir(gone).removeRecursively());

    QString message;
    int boxes = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++boxes;
            message = box->text();
            box->accept();
        }
    });
    closer.start(20);
    QTest::mouseClick(m_form->Command1, Qt::LeftButton);
    QTRY_COMPARE(boxes, 1);
    QTRY_VERIFY(!Caut::slot().isOpen());
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->List1->ListCount(), 0);
    QVERIFY2(message.contains(gone), qPrintable(message));
}

void TestScanWindow::moreThan32767FilesScan()
{
    const int count = 40000;
    for (int i = 0; i < count; ++i) {
        QFile file(m_folder->filePath(u"Artist %1 - Song %2.mp3"_qs.arg(i / 2).arg(i % 2)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir::setCurrent(m_folder->path()));
    m_form = &Form1::slot().show();
    QCOMPARE(m_form->File1->ListCount(), count);
    scan();
    QCOMPARE(m_form->List3->ListCount(), count);
    QCOMPARE(m_form->List1->ListCount(), count / 2);
}

QTEST_MAIN(TestScanWindow)
#include "tst_scan_window.moc"
