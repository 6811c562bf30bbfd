#include "ByteTree.h"
#include "MainWindow.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

using namespace arvelo;

// Looking at an artist's songs and striking artists, driven through the real controls.
class TestSongs : public QObject
{
    Q_OBJECT

    Form1 *m_form = nullptr;
    QTemporaryDir *m_folder = nullptr;

private slots:
    void init()
    {
        m_folder = new QTemporaryDir;
        QVERIFY(m_folder->isValid());
        QCOMPARE(bytetree::make(QFile::encodeName(m_folder->path()),
                     {"Abc - Song.mp3", "abc - Other - Live.mp3", "ABC   - Third.mp3",
                         "Abcd - No.mp3", "Abc.mp3", "Zed - One.mp3"}),
            QByteArray());
        m_form = &Form1::slot().show(m_folder->path());
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        m_form->List1->setItemsInOrder({u"Abc"_s, u"Nobody"_s, u"Zed"_s});
    }

    void cleanup()
    {
        unloadWindows();
        delete m_folder;
    }

    void keyboardSelectionFillsSongs()
    {
        m_form->List1->setFocus();
        QTest::keyClick(m_form->List1, Qt::Key_Home);
        QCOMPARE(m_form->List1->ListIndex(), 0);
        QCOMPARE(
            m_form->List2->items(), (QStringList {u"Other "_s, u"Song.mp3"_s, u"Third.mp3"_s}));
        QTest::keyClick(m_form->List1, Qt::Key_Down);
        QCOMPARE(m_form->List1->List(m_form->List1->ListIndex()), u"Nobody"_s);
        QCOMPARE(m_form->List2->ListCount(), 0);
        // A mouse click replaces the songs just the same.
        const QRect zed = m_form->List1->visualRect(m_form->List1->model()->index(2, 0));
        QTest::mouseClick(m_form->List1->viewport(), Qt::LeftButton, {}, zed.center());
        QCOMPARE(m_form->List2->items(), QStringList {u"One.mp3"_s});
    }

    void removalKeepsSongsAndSelectsNothing_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Remove artist from list") << false;
        QTest::newRow("Delete in the artist list") << true;
    }

    void removalKeepsSongsAndSelectsNothing()
    {
        QFETCH(bool, byKey);
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        m_form->List1->setFocus();
        const auto remove = [this, byKey] {
            if (byKey)
                QTest::keyClick(m_form->List1, Qt::Key_Delete);
            else
                QTest::mouseClick(m_form->Command2, Qt::LeftButton);
        };
        // With nothing selected the press does nothing.
        remove();
        QCOMPARE(m_form->List1->ListCount(), 3);
        m_form->List1->setListIndex(0);
        const QStringList songs = m_form->List2->items();
        QCOMPARE(songs.size(), 3);
        // Delete strikes an artist from the artist list only.
        if (byKey) {
            m_form->List2->setFocus();
            QTest::keyClick(m_form->List2, Qt::Key_Delete);
            QCOMPARE(m_form->List1->ListCount(), 3);
            m_form->List1->setFocus();
        }
        remove();
        QCOMPARE(m_form->List1->items(), (QStringList {u"Nobody"_s, u"Zed"_s}));
        QCOMPARE(m_form->List1->ListIndex(), -1);
        QCOMPARE(m_form->List2->items(), songs);
        // A second press finds nothing selected and leaves the list alone.
        remove();
        QCOMPARE(m_form->List1->items(), (QStringList {u"Nobody"_s, u"Zed"_s}));
    }
};

QTEST_MAIN(TestSongs)
#include "tst_songs.moc"
