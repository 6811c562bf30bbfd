#include "core/ArtistScan.h"
#include "core/FolderListing.h"
#include "core/Module1.h"

#include "ByteTree.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace arvelo;

Q_DECLARE_METATYPE(arvelo::KeyOptions)

// The obvious pairwise pass over the work list, with its own test for an artist already
// listed (beautify each entry, then compare its key with KA). Quadratic: the yardstick only.
static QStringList pairwiseArtists(const QStringList &list3, KeyOptions options)
{
    QStringList list1;
    for (qsizetype i = 0; i < list3.size() - 1; ++i) {
        const QString ka = artistKey(list3.at(i), options);
        const auto listed
            = [&](const QString &e) { return artistKey(Module1::BeautifyName(e), options) == ka; };
        for (qsizetype j = i + 1; j < list3.size(); ++j)
            if (artistKey(list3.at(j), options) == ka
                && std::none_of(list1.cbegin(), list1.cend(), listed))
                list1.append(Module1::BeautifyName(artistPart(list3.at(i))));
    }
    return list1;
}

// Up to three short words over "abc", so that artists repeat, with loose blanks and case; except
// where blanks are overlooked but case is kept: there the pass's listed-artist test strays from
// the keys ("ab cd" is listed as "Ab Cd", whose key "AbCd" is another artist's), so words are
// written as BeautifyName writes them. No word at all gives an empty artist part.
static QString randomName(QRandomGenerator &random, KeyOptions options)
{
    const bool beautified = options.overlookSpaces && !options.convertToUppercase;
    QString name(random.bounded(2), Blank);
    for (int w = random.bounded(4); w > 0; --w) {
        // Beautified words take their first letter from "ABC", the others from "abc".
        for (int k = random.bounded(1, 3), first = 3; k > 0; --k, first = 0)
            name += QChar(u"abcABC"[beautified ? first + random.bounded(3) : random.bounded(6)]);
        name += QString(random.bounded(beautified && w > 1 ? 1 : 0, 2), Blank);
    }
    return name + (random.bounded(10) == 0 ? u".mp3"_s : Separator + u" Song"_s);
}

class TestScan : public QObject
{
    Q_OBJECT

    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }

private slots:
    void groupArtists_data()
    {
        QTest::addColumn<QStringList>("workList");
        QTest::addColumn<KeyOptions>("options");
        QTest::addColumn<QStringList>("expected");
        const KeyOptions both {true, true}, blanksCount {false, true}, caseCounts {true, false};
        // The worked example under four sets of options is tst_scan_window's workedExample,
        // which scans the same names through the window and also checks the work list's length
        // and first entry.
        QTest::newRow("names beginning with a hyphen give an empty entry")
            << QStringList {u"- Intro.mp3"_s, u"  -Outro.mp3"_s} << both << QStringList {QString()};
        QTest::newRow("named after the earliest candidate") << QStringList {u"ZenoQuill - a.mp3"_s,
            u"Zeno Quill - b.mp3"_s} << both << QStringList {u"Zenoquill"_s};
        QTest::newRow("two keys, one entry text")
            << QStringList {u"Ab  C - x"_s, u"Ab C - y"_s, u"Ab  C - z"_s, u"Ab C - w"_s}
            << blanksCount << QStringList {u"Ab C"_s};
        // Two keys, two artists, although the entry "Ab Cd" has the key of the second one.
        QTest::newRow("artists whose entries look alike stay apart")
            << QStringList {u"ab cd - 1"_s, u"ab cd - 2"_s, u"AbCd - 3"_s, u"AbCd - 4"_s}
            << caseCounts << QStringList {u"Ab Cd"_s, u"Abcd"_s};

        // Many random names against the pairwise pass, under each pair of options.
        for (const KeyOptions options :
            {both, blanksCount, caseCounts, KeyOptions {false, false}}) {
            QRandomGenerator random(20240611);
            QStringList names;
            // The pairwise yardstick is quadratic; under the sanitizers a smaller list keeps
            // the run short.
#ifdef ARVELO_SANITIZE
            constexpr int count = 1000;
#else
            constexpr int count = 2000;
#endif
            for (int n = 0; n < count; ++n)
                names.append(randomName(random, options));
            QStringList expected = pairwiseArtists(names, options);
            expected.removeDuplicates();
            QVERIFY2(expected.size() > count / 40, "too few artists for a grouping fault to show");
            QTest::addRow(
                "random, options %d %d", options.overlookSpaces, options.convertToUppercase)
                << names << options << expected;
        }
    }
    void groupArtists()
    {
        QFETCH(QStringList, workList);
        QFETCH(KeyOptions, options);
        QFETCH(QStringList, expected);
        QCOMPARE(sorted(arvelo::groupArtists(workList, options)), sorted(expected));
    }

    // The scan as the window runs it (sorted folders merged into the files, which come in list
    // order) gives what sorting every candidate and then grouping gives.
    void scanFolderMatchesSortingEverything_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("1,000 names") << 1'000;
        QTest::newRow("100,000 names") << 100'000;
    }
    void scanFolderMatchesSortingEverything()
    {
        QFETCH(int, count);
        const ListOrder order;
        const KeyOptions options;
        QRandomGenerator random(20240612);
        QTemporaryDir temp;
        QStringList folders;
        for (int n = 0; n < 300; ++n) {
            const QString name = randomName(random, options).trimmed();
            if (!name.isEmpty() && !name.startsWith(u'.') && !folders.contains(name)
                && QDir(temp.path()).mkdir(name))
                folders.append(name);
        }
        QStringList files;
        for (int n = 0; n < count; ++n)
            files.append(randomName(random, options) + QString::number(n));
        order.sort(files);

        QStringList everything = files + folders;
        order.sort(everything);
        QStringList artists = arvelo::groupArtists(everything, options);
        order.sort(artists);

        const ListedFolder listed(temp.path(), listFiles(temp.path())->folder);
        const std::optional<ScanOutcome> outcome = scanFolder(listed, files, true, options, order);
        QVERIFY(outcome);
        QCOMPARE(outcome->workList, everything);
        QCOMPARE(outcome->artists, artists);
    }

    void subFolderNamesListsVisibleFolders()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        // The listing of "Zeno Quill - Live" breaks off with EIO after the entry "then EIO" (the
        // shim this suite runs with).
        QCOMPARE(
            bytetree::make(temp.path(),
                {u"Zeno Quill/"_s, u".hidden/"_s, u"Mira Vell - One.mp3"_s,
                    u"Linked@"_s + temp.filePath(u".hidden"_s),
                    u"Song link@"_s + temp.filePath(u"Mira Vell - One.mp3"_s),
                    u"Dangling@"_s + temp.filePath(u"gone"_s), u"Zeno Quill - Live/then EIO"_s}),
            QByteArray());

        QCOMPARE(sorted(subFolderNames(temp.path()).value_or(QStringList())),
            (QStringList {u"Linked"_s, u"Zeno Quill"_s, u"Zeno Quill - Live"_s}));
        QCOMPARE(subFolderNames(temp.filePath(u"Zeno Quill"_s)), std::optional(QStringList()));
        // A folder that is missing, a file, a link to nothing or a listing cut short gives
        // nothing to scan and no list of files: not even a shorter one.
        for (const QString &name :
            {u"vanished"_s, u"Mira Vell - One.mp3"_s, u"Dangling"_s, u"Zeno Quill - Live"_s})
            QVERIFY2(!subFolderNames(temp.filePath(name)) && !listFiles(temp.filePath(name)),
                qPrintable(name));
    }
};

QTEST_APPLESS_MAIN(TestScan)
#include "tst_scan.moc"
