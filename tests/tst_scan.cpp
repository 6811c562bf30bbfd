#include "filing/Module1.h"
#include "grouping/ArtistScan.h"
#include "grouping/Candidates.h"
#include "grouping/artist.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace arvelo;

namespace {

// The obvious pairwise pass over the work list, step by step, with its own test for an
// artist that is already listed (beautify each entry, then compare its key with KA).
// Quadratic: only for small lists, as the yardstick of the grouping.
QStringList pairwiseArtists(const QStringList &list3, KeyOptions options)
{
    QStringList list1;
    const qsizetype count = list3.size();
    for (qsizetype i = 0; i <= count - 2; ++i) {
        const qsizetype lastJ = list3.size() - 1;
        for (qsizetype j = i + 1; j <= lastJ; ++j) {
            const QString ka = artistKey(list3.at(i), options);
            const QString kb = artistKey(list3.at(j), options);
            if (kb != ka)
                continue;
            const QString a = artistPart(list3.at(i));
            const QString d = Module1::BeautifyName(a);
            if (list1.isEmpty()) {
                list1.append(d);
                continue;
            }
            // The list's own order does not change whether an entry is found.
            bool newArtist = true;
            for (const QString &e : std::as_const(list1)) {
                if (artistKey(Module1::BeautifyName(e), options) == ka)
                    newArtist = false;
            }
            if (newArtist)
                list1.append(d);
        }
    }
    return list1;
}

QString randomWord(QRandomGenerator &random, bool mixedCase)
{
    static constexpr char16_t letters[] = u"abc";
    QString word;
    const int length = random.bounded(1, 4);
    for (int k = 0; k < length; ++k) {
        const QChar letter(letters[random.bounded(3)]);
        const bool upper = mixedCase ? random.bounded(2) == 1 : k == 0;
        word += upper ? letter.toUpper() : letter;
    }
    return word;
}

QString blanks(QRandomGenerator &random, int least, int most)
{
    return QString(random.bounded(least, most + 1), Blank);
}

// Loose blanks and letter case everywhere, except where blanks are ignored but case is kept:
// there the pass's listed-artist test strays from the keys ("ab cd" is listed as "Ab Cd",
// whose key "AbCd" is another artist's), so words are written as BeautifyName writes them.
QString randomArtist(QRandomGenerator &random, KeyOptions options)
{
    const bool beautifiedWords = options.overlookSpaces && !options.convertToUppercase;
    QString artist = blanks(random, 0, 1);
    const int words = random.bounded(1, 4);
    for (int w = 0; w < words; ++w) {
        if (w > 0)
            artist += blanks(random, beautifiedWords ? 1 : 0, 2);
        artist += randomWord(random, !beautifiedWords);
    }
    return artist + blanks(random, 0, 1);
}

QString randomName(QRandomGenerator &random, KeyOptions options)
{
    const int kind = random.bounded(20);
    if (kind == 0)
        return blanks(random, 0, 1) + u"- Intro "_qs + QString::number(random.bounded(100));
    if (kind <= 2) // no hyphen at all: the whole name is the artist part
        return randomArtist(random, options) + u".mp3"_qs;
    QString name = randomArtist(random, options) + Separator + u" Song "_qs
        + QString::number(random.bounded(1000));
    if (random.bounded(4) == 0)
        name += u" - Live"_qs;
    return name;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestScan : public QObject
{
    Q_OBJECT

private slots:
    void groupArtists_data();
    void groupArtists();
    void matchesPairwisePass_data();
    void matchesPairwisePass();
    void subFolderNamesSkipsHiddenAndFiles();
    void subFolderNamesOfMissingFolder_data();
    void subFolderNamesOfMissingFolder();
};

void TestScan::groupArtists_data()
{
    QTest::addColumn<QStringList>("workList");
    QTest::addColumn<bool>("overlookSpaces");
    QTest::addColumn<bool>("convertToUppercase");
    QTest::addColumn<QStringList>("expected");

    const QStringList example {u"Archive"_qs, u"Intro.mp3"_qs, u"Mira  Vell - Two.mp3"_qs,
        u"mira vell - One.mp3"_qs, u"Solo - Only.mp3"_qs, u"Zeno Quill"_qs,
        u"Zeno Quill - Blue Road.mp3"_qs};
    QStringList withoutFolders = example;
    withoutFolders.removeAll(u"Archive"_qs);
    withoutFolders.removeAll(u"Zeno Quill"_qs);

    QTest::newRow("worked example")
        << example << true << true << QStringList {u"Mira Vell"_qs, u"Zeno Quill"_qs};
    QTest::newRow("worked example, sub-folders absent")
        << withoutFolders << true << true << QStringList {u"Mira Vell"_qs};
    QTest::newRow("worked example, blanks count")
        << example << false << true << QStringList {u"Zeno Quill"_qs};
    QTest::newRow("empty work list") << QStringList() << true << true << QStringList();
    QTest::newRow("one candidate")
        << QStringList {u"Zeno Quill - a.mp3"_qs} << true << true << QStringList();
    QTest::newRow("two artists once each")
        << QStringList {u"Mira Vell - a.mp3"_qs, u"Zeno Quill - b.mp3"_qs} << true << true
        << QStringList();
    QTest::newRow("three songs, one entry") << QStringList {u"Zeno Quill - a.mp3"_qs,
        u"Zeno Quill - b.mp3"_qs, u"Zeno Quill - c.mp3"_qs}
                                            << true << true << QStringList {u"Zeno Quill"_qs};
    QTest::newRow("names beginning with a hyphen give an empty entry") << QStringList {
        u"- Intro.mp3"_qs, u"  -Outro.mp3"_qs} << true << true << QStringList {QString()};
    QTest::newRow("no hyphen, blanks overlooked") << QStringList {u"Blue Road.mp3"_qs,
        u"BlueRoad.mp3"_qs} << true << true << QStringList {u"Blue Road.mp3"_qs};
    QTest::newRow("no hyphen, blanks count")
        << QStringList {u"Blue Road.mp3"_qs, u"BlueRoad.mp3"_qs} << false << true << QStringList();
    QTest::newRow("named after the earliest candidate") << QStringList {u"ZenoQuill - a.mp3"_qs,
        u"Zeno Quill - b.mp3"_qs} << true << true << QStringList {u"Zenoquill"_qs};
    QTest::newRow("named after the earliest candidate, other order")
        << QStringList {u"Zeno Quill - b.mp3"_qs, u"ZenoQuill - a.mp3"_qs} << true << true
        << QStringList {u"Zeno Quill"_qs};
    QTest::newRow("folder with hyphen and a song") << QStringList {u"Zeno Quill - Live"_qs,
        u"zeno quill - x.mp3"_qs} << true << true << QStringList {u"Zeno Quill"_qs};
    QTest::newRow("two keys, one entry text")
        << QStringList {u"Ab  C - x"_qs, u"Ab C - y"_qs, u"Ab  C - z"_qs, u"Ab C - w"_qs} << false
        << true << QStringList {u"Ab C"_qs};
    QTest::newRow("case counts without upper-casing") << QStringList {u"zeno quill - a.mp3"_qs,
        u"Zeno Quill - b.mp3"_qs} << true << false << QStringList();
    QTest::newRow("case overlooked with upper-casing") << QStringList {u"zeno quill - a.mp3"_qs,
        u"Zeno Quill - b.mp3"_qs} << true << true << QStringList {u"Zeno Quill"_qs};
    QTest::newRow("trailing blanks never count") << QStringList {u"Zeno   - a.mp3"_qs,
        u"Zeno- b.mp3"_qs} << false << false << QStringList {u"Zeno"_qs};
    // Two keys, two artists, although the entry "Ab Cd" has the key of the second one.
    QTest::newRow("artists whose entries look alike stay apart")
        << QStringList {u"ab cd - 1"_qs, u"ab cd - 2"_qs, u"AbCd - 3"_qs, u"AbCd - 4"_qs} << true
        << false << QStringList {u"Ab Cd"_qs, u"Abcd"_qs};
    // One key whose candidates beautify differently: still one entry.
    QTest::newRow("one artist, one entry, however written") << QStringList {u"a b - 1"_qs,
        u"ab - 2"_qs, u"ab - 3"_qs} << true << false << QStringList {u"A B"_qs};
}

void TestScan::groupArtists()
{
    QFETCH(QStringList, workList);
    QFETCH(bool, overlookSpaces);
    QFETCH(bool, convertToUppercase);
    QFETCH(QStringList, expected);
    const QStringList got = arvelo::groupArtists(workList, {overlookSpaces, convertToUppercase});
    QCOMPARE(sorted(got), sorted(expected));
}

void TestScan::matchesPairwisePass_data()
{
    QTest::addColumn<bool>("overlookSpaces");
    QTest::addColumn<bool>("convertToUppercase");
    QTest::newRow("both options") << true << true;
    QTest::newRow("overlook spaces only") << true << false;
    QTest::newRow("upper case only") << false << true;
    QTest::newRow("neither option") << false << false;
}

void TestScan::matchesPairwisePass()
{
    QFETCH(bool, overlookSpaces);
    QFETCH(bool, convertToUppercase);
    const KeyOptions options {overlookSpaces, convertToUppercase};

    QRandomGenerator random(20240611);
    QStringList workList;
    for (int n = 0; n < 2000; ++n)
        workList.append(randomName(random, options));

    QStringList expected = pairwiseArtists(workList, options);
    expected.removeDuplicates();
    // Enough artists that a grouping fault shows.
    QVERIFY2(expected.size() > 50, qPrintable(QString::number(expected.size())));
    QCOMPARE(sorted(arvelo::groupArtists(workList, options)), sorted(expected));
}

void TestScan::subFolderNamesSkipsHiddenAndFiles()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QDir dir(temp.path());
    for (const QString &name : {u"Zeno Quill"_qs, u"Zeno Quill - Live"_qs, u".hidden"_qs})
        QVERIFY(dir.mkdir(name));
    for (const QString &name : {u"Mira Vell - One.mp3"_qs, u".cover.jpg"_qs}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(dir.filePath(u".hidden"_qs), dir.filePath(u"Linked"_qs)));
    QVERIFY(QFile::link(dir.filePath(u"Mira Vell - One.mp3"_qs), dir.filePath(u"Song link"_qs)));
    QVERIFY(QFile::link(dir.filePath(u"gone"_qs), dir.filePath(u"Dangling"_qs)));

    const std::optional<QStringList> names = subFolderNames(temp.path());
    QVERIFY(names.has_value());
    QCOMPARE(
        sorted(*names), (QStringList {u"Linked"_qs, u"Zeno Quill"_qs, u"Zeno Quill - Live"_qs}));

    const std::optional<QStringList> empty = subFolderNames(dir.filePath(u"Zeno Quill"_qs));
    QVERIFY(empty.has_value());
    QVERIFY(empty->isEmpty());
}

void TestScan::subFolderNamesOfMissingFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << u"vanished"_qs;
    QTest::newRow("a file, not a folder") << u"song.mp3"_qs;
    QTest::newRow("a link to nothing") << u"dangling"_qs;
}

void TestScan::subFolderNamesOfMissingFolder()
{
    QFETCH(QString, name);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QFile file(temp.filePath(u"song.mp3"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(temp.filePath(u"nowhere"_qs), temp.filePath(u"dangling"_qs)));
    QVERIFY(!subFolderNames(temp.filePath(name)).has_value());
}

QTEST_APPLESS_MAIN(TestScan)
#include "tst_scan.moc"
