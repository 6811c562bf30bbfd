#include "cli/CommandLine.h"

#include "ByteTree.h"
#include "MainWindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

using namespace arvelo;

// The folder named on the command line is where the main window starts, and works there.
class TestStartFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString m_root; // m_base as the system names it, links resolved

private slots:
    void cleanup() { Form1::slot().unload(); }

    void initTestCase()
    {
        m_root = QDir(m_base.path()).canonicalPath();
        QCOMPARE(
            bytetree::make(m_root,
                {u"Unsorted/Zeno Quill/"_s, u"Unsorted/Mira Vell - One.mp3"_s,
                    u"Unsorted/mira vell - Two.mp3"_s, u"Unsorted/Zeno Quill - Blue Road.mp3"_s,
                    u"Unsorted/Solo - Only.mp3"_s, u"Other/Lorin Castu - A.mp3"_s,
                    u"Other/Lorin Castu - B.mp3"_s, u"top.mp3"_s, u"-dash folder/"_s,
                    u"link@"_s + m_root + u"/Unsorted/Zeno Quill"_s}),
            QByteArray());
    }

    void startsOnTheFolderGiven_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "%1" stands for the base
        QTest::addColumn<QString>("folder"); // relative to the base
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("artists");

        const QStringList unsorted {u"Mira Vell - One.mp3"_s, u"mira vell - Two.mp3"_s,
            u"Solo - Only.mp3"_s, u"Zeno Quill - Blue Road.mp3"_s};
        const QStringList unsortedArtists {u"Mira Vell"_s, u"Zeno Quill"_s};
        const QStringList other {u"Lorin Castu - A.mp3"_s, u"Lorin Castu - B.mp3"_s};
        const QStringList otherArtists {u"Lorin Castu"_s};
        QTest::newRow("relative, a dot, a trailing slash")
            << QStringList {u"./Unsorted/"_s} << u"Unsorted"_s << unsorted << unsortedArtists;
        QTest::newRow("dots and a trailing slash") << QStringList {u"./Other/../Unsorted/"_s}
                                                   << u"Unsorted"_s << unsorted << unsortedArtists;
        QTest::newRow("absolute") << QStringList {u"%1/Other"_s} << u"Other"_s << other
                                  << otherArtists;
        // ".." after a link is the parent of where the link leads, as `ls` has it.
        QTest::newRow("dots after a link")
            << QStringList {u"link/.."_s} << u"Unsorted"_s << unsorted << unsortedArtists;
        QTest::newRow("after --, a name like an option")
            << QStringList {u"--"_s, u"-dash folder"_s} << u"-dash folder"_s << QStringList {}
            << QStringList {};
        QTest::newRow("Qt's own options pass")
            << QStringList {u"-platform"_s, u"offscreen"_s, u"-reverse"_s, u"Other"_s} << u"Other"_s
            << other << otherArtists;
        QTest::newRow("none: the current folder")
            << QStringList {} << u""_s << QStringList {u"top.mp3"_s} << QStringList {};
    }

    void startsOnTheFolderGiven()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        QFETCH(QStringList, artists);
        for (QString &argument : arguments)
            argument.replace(u"%1"_s, m_root);
        const QString expected = QDir::cleanPath(m_root + u'/' + folder);

        const StartUp start = readCommandLine(QStringList {u"arvelo"_s} + arguments, m_root);
        QCOMPARE(start.exitCode, 0);
        QCOMPARE(start.standardOutput, QString());
        QCOMPARE(start.standardError, QString());
        QVERIFY(start.folder);
        QCOMPARE(*start.folder, expected);
        Form1 &form = Form1::slot().show(*start.folder);
        QCOMPARE(form.Dir1->Path(), expected);
        QCOMPARE(form.File1->Path(), expected);
        QCOMPARE(form.File1->items(), files);
        QVERIFY(expected.startsWith(form.Drive1->Drive()));

        pressScan(form);
        QCOMPARE(form.List1->items(), artists);
        // The scan only reads: the folder the window started on is as it was.
        QCOMPARE(QDir(expected).entryList(QDir::Files), files);
    }
};

QTEST_MAIN(TestStartFolder)
#include "tst_start_folder.moc"
