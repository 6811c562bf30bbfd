#include "app/Form1.h"
#include "windows/Caut.h"
#include "windows/Form2.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace arvelo;

// The move driven through the window: scan, strike an artist, press the move button.
class TestMoveWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void moveRunsBehindItsProgressWindow();
    void struckArtistStaysAndFoldersKeepFirstSpelling();

private:
    void press(QPushButton *button, const std::function<bool()> &done);
    QStringList relativeFiles() const;
    QMultiHash<QByteArray, int> contents() const;

    QTemporaryDir *m_folder = nullptr;
    Form1 *m_form = nullptr;
};

void TestMoveWindow::init()
{
    m_folder = new QTemporaryDir;
    QVERIFY(m_folder->isValid());
    for (const char *name : {"Zeta - one.mp3", "ZETA - two.mp3", "Kelo - a.mp3", "kelo - b.mp3",
                             "Solo - x.mp3", "Mira Vell - 1.mp3", "mira  vell - 2.mp3"}) {
        QFile file(m_folder->filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name);
    }
    QVERIFY(QDir::setCurrent(m_folder->path()));
    m_form = &Form1::slot().show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    press(m_form->Command1, [] { return !Caut::slot().isOpen(); });
}

void TestMoveWindow::cleanup()
{
    Form1::slot().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(QDir::tempPath());
    delete m_folder;
}

QStringList TestMoveWindow::relativeFiles() const
{
    QStringList files;
    QDirIterator it(m_folder->path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(m_folder->path()).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QMultiHash<QByteArray, int> TestMoveWindow::contents() const
{
    QMultiHash<QByteArray, int> all;
    for (const QString &path : relativeFiles()) {
        QFile file(m_folder->filePath(path));
        if (file.open(QIODevice::ReadOnly))
            all.insert(file.readAll(), 0);
    }
    return all;
}

void TestMoveWindow::press(QPushButton *button, const std::function<bool()> &done)
{
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(done());
    QVERIFY(m_form->isVisible());
}

void TestMoveWindow::moveRunsBehindItsProgressWindow()
{
    const auto before = contents();
    QCOMPARE(m_form->List1->items(),
             (QStringList{u"Kelo"_qs, u"Mira Vell"_qs, u"Zeta"_qs}));
    QTest::mouseClick(m_form->Command3, Qt::LeftButton);
    // Nothing has moved yet: the pass waits for the first tick behind the progress window.
    Form2 *progress = Form2::slot().get();
    QVERIFY(progress && progress->isVisible());
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_form->Timer2->isActive());
    QCOMPARE(progress->windowTitle(), u"Moving Files"_qs);
    QVERIFY(progress->Label1->geometry().right() < progress->width());
    QVERIFY(QFile::exists(m_folder->filePath(u"Zeta - one.mp3"_qs)));

    QTRY_VERIFY(!Form2::slot().isOpen());
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->Timer2->isActive());
    QCOMPARE(relativeFiles(),
             (QStringList{u"Kelo/Kelo - a.mp3"_qs, u"Kelo/kelo - b.mp3"_qs,
                          u"Mira Vell/Mira Vell - 1.mp3"_qs, u"Mira Vell/mira  vell - 2.mp3"_qs,
                          u"Solo - x.mp3"_qs, u"Zeta/ZETA - two.mp3"_qs,
                          u"Zeta/Zeta - one.mp3"_qs}));
    QCOMPARE(contents(), before);
    // Nothing is read again: the file list still shows the files that moved away.
    QCOMPARE(m_form->File1->ListCount(), 7);
    QCOMPARE(m_form->List1->ListCount(), 3);

    // Pressed again on the stale listing: nothing moves, nothing is lost.
    QTest::mouseClick(m_form->Command3, Qt::LeftButton);
    QTRY_VERIFY(!Form2::slot().isOpen());
    QCOMPARE(contents(), before);
    QCOMPARE(relativeFiles().size(), 7);
}

void TestMoveWindow::struckArtistStaysAndFoldersKeepFirstSpelling()
{
    const auto before = contents();
    m_form->List1->setListIndex(m_form->List1->items().indexOf(u"Kelo"_qs));
    QTest::mouseClick(m_form->Command2, Qt::LeftButton);
    m_form->Check3->setChecked(false);
    QTest::mouseClick(m_form->Command3, Qt::LeftButton);
    QTRY_VERIFY(!Form2::slot().isOpen());
    // Without beautifying, each folder is named after the spelling of its first file in the
    // file list's order, blanks kept.
    QCOMPARE(relativeFiles(),
             (QStringList{u"Kelo - a.mp3"_qs, u"Solo - x.mp3"_qs, u"Zeta/ZETA - two.mp3"_qs,
                          u"Zeta/Zeta - one.mp3"_qs, u"kelo - b.mp3"_qs,
                          u"mira  vell/Mira Vell - 1.mp3"_qs,
                          u"mira  vell/mira  vell - 2.mp3"_qs}));
    QCOMPARE(contents(), before);
}

QTEST_MAIN(TestMoveWindow)
#include "tst_move_window.moc"
