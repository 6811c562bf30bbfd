#include "filing/Module1.h"
#include "grouping/ArtistSongs.h"
#include "grouping/artist.h"

#include <QTest>

using namespace arvelo;

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    void artistKey_data();
    void artistKey();
    void artistPart_data();
    void artistPart();
    void beautifyName_data();
    void beautifyName();
    void songTitles_data();
    void songTitles();
};

void TestNames::artistKey_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("neither");
    QTest::addColumn<QString>("upperOnly");
    QTest::addColumn<QString>("spacesOnly");
    QTest::addColumn<QString>("both");

    auto row = [](const char *tag, const char16_t *in, const char16_t *a, const char16_t *b,
                   const char16_t *c, const char16_t *d) {
        QTest::newRow(tag) << QString::fromUtf16(in) << QString::fromUtf16(a)
                           << QString::fromUtf16(b) << QString::fromUtf16(c)
                           << QString::fromUtf16(d);
    };
    row("plain", u"Zeno Quill - Blue Road.mp3", u"Zeno Quill", u"ZENO QUILL", u"ZenoQuill",
        u"ZENOQUILL");
    row("double blanks", u"zeno  quill  - x.mp3", u"zeno  quill", u"ZENO  QUILL", u"zenoquill",
        u"ZENOQUILL");
    row("leading blank", u" Zeno Quill - x.mp3", u" Zeno Quill", u" ZENO QUILL", u"ZenoQuill",
        u"ZENOQUILL");
    row("folder name", u"Zeno Quill", u"Zeno Quill", u"ZENO QUILL", u"ZenoQuill", u"ZENOQUILL");
    row("hyphen inside", u"Zeno-Quill - x.mp3", u"Zeno", u"ZENO", u"Zeno", u"ZENO");
    row("no hyphen", u"Blue Road.mp3", u"Blue Road.mp3", u"BLUE ROAD.MP3", u"BlueRoad.mp3",
        u"BLUEROAD.MP3");
    row("starts with hyphen", u"- Intro.mp3", u"", u"", u"", u"");
    row("blanks then hyphen", u"  - Intro.mp3", u"", u"", u"", u"");
    row("empty", u"", u"", u"", u"", u"");
    row("tab before hyphen", u"Zeno\t- x.mp3", u"Zeno\t", u"ZENO\t", u"Zeno\t", u"ZENO\t");
    row("tab between words", u"Ze no\tQ - x", u"Ze no\tQ", u"ZE NO\tQ", u"Zeno\tQ", u"ZENO\tQ");
    row("sharp s stays one letter", u"Straße - x.mp3", u"Straße", u"STRAßE", u"Straße", u"STRAßE");
    row("accented letters", u"éa - x", u"éa", u"ÉA", u"éa", u"ÉA");
    row("non-breaking space is no blank", u"A\u00a0B - x", u"A\u00a0B", u"A\u00a0B", u"A\u00a0B",
        u"A\u00a0B");
    row("en dash is no separator", u"A \u2013 B", u"A \u2013 B", u"A \u2013 B", u"A\u2013B",
        u"A\u2013B");
}

void TestNames::artistKey()
{
    QFETCH(QString, input);
    QFETCH(QString, neither);
    QFETCH(QString, upperOnly);
    QFETCH(QString, spacesOnly);
    QFETCH(QString, both);
    QCOMPARE(
        arvelo::artistKey(input, {.overlookSpaces = false, .convertToUppercase = false}), neither);
    QCOMPARE(
        arvelo::artistKey(input, {.overlookSpaces = false, .convertToUppercase = true}), upperOnly);
    QCOMPARE(arvelo::artistKey(input, {.overlookSpaces = true, .convertToUppercase = false}),
        spacesOnly);
    QCOMPARE(arvelo::artistKey(input, {.overlookSpaces = true, .convertToUppercase = true}), both);
}

void TestNames::artistPart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<bool>("hasTitle");
    QTest::addColumn<QString>("title");

    QTest::newRow("usual") << u"Abc - Song.mp3"_qs << u"Abc "_qs << true << u"Song.mp3"_qs;
    QTest::newRow("second hyphen ends title")
        << u"Abc - Song - Live.mp3"_qs << u"Abc "_qs << true << u"Song "_qs;
    QTest::newRow("no blanks") << u"Abc-Song.mp3"_qs << u"Abc"_qs << true << u"Song.mp3"_qs;
    QTest::newRow("blanks kept") << u"  A  B - x"_qs << u"  A  B "_qs << true << u"x"_qs;
    QTest::newRow("no hyphen") << u"Abc.mp3"_qs << u"Abc.mp3"_qs << false << QString();
    QTest::newRow("leading hyphen") << u"- Intro.mp3"_qs << QString() << true << u"Intro.mp3"_qs;
    QTest::newRow("empty title") << u"Abc -"_qs << u"Abc "_qs << true << QString();
    QTest::newRow("double hyphen") << u"Abc--x"_qs << u"Abc"_qs << true << QString();
}

void TestNames::artistPart()
{
    QFETCH(QString, name);
    QFETCH(QString, artist);
    QFETCH(bool, hasTitle);
    QFETCH(QString, title);
    QCOMPARE(arvelo::artistPart(name), artist);
    const std::optional<QString> got = arvelo::titlePart(name);
    QCOMPARE(got.has_value(), hasTitle);
    if (hasTitle)
        QCOMPARE(*got, title);
}

void TestNames::beautifyName_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks only") << u"    "_qs << QString();
    QTest::newRow("runs of blanks") << u"hELLO   wORLD"_qs << u"Hello World"_qs;
    QTest::newRow("blanks at both ends") << u"  the   quick  fox "_qs << u"The Quick Fox"_qs;
    QTest::newRow("hyphen is inside a word") << u"mIXed-CASE name"_qs << u"Mixed-case Name"_qs;
    QTest::newRow("apostrophe is inside a word") << u"l'OMBRA di mare"_qs << u"L'ombra Di Mare"_qs;
    QTest::newRow("leading digit") << u"1st plACE"_qs << u"1st Place"_qs;
    QTest::newRow("tab is inside a word") << u"aa\tBB"_qs << u"Aa\tbb"_qs;
    QTest::newRow("single letter") << u"q"_qs << u"Q"_qs;
    QTest::newRow("joined words stay joined") << u"abcd"_qs << u"Abcd"_qs;
    QTest::newRow("separate words") << u"ab cd"_qs << u"Ab Cd"_qs;
    QTest::newRow("help example") << u"LoRIn vE  cAstU"_qs << u"Lorin Ve Castu"_qs;
    QTest::newRow("help example 2") << u"TEOD    VARNEL"_qs << u"Teod Varnel"_qs;
    QTest::newRow("sharp s") << u"STRAßE ßa"_qs << u"Straße ßa"_qs;
    QTest::newRow("accents") << u"éLAN ÀB"_qs << u"Élan Àb"_qs;
    QTest::newRow("bracket first") << u"(LIVE) set"_qs << u"(live) Set"_qs;
    QTest::newRow("astral letter") << u"\U00010428X"_qs << u"\U00010400x"_qs;
    // Letters without a one-character case partner stay as they are; lengths never change.
    QTest::newRow("ligature") << u"ﬁx ß"_qs << u"ﬁx ß"_qs;
    QTest::newRow("dotted capital I") << u"İİ"_qs << u"İİ"_qs;
}

void TestNames::beautifyName()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    const QString once = Module1::BeautifyName(input);
    QCOMPARE(once, expected);
    QCOMPARE(Module1::BeautifyName(once), once);
    // Letter case and the number of blanks between words never matter.
    QCOMPARE(Module1::BeautifyName(arvelo::upperEach(input)),
        Module1::BeautifyName(arvelo::lowerEach(input)));
    QCOMPARE(Module1::BeautifyName(u"  "_qs + input.replace(u' ', u"   "_qs) + u' '), expected);
}

void TestNames::songTitles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("extension stays")
        << QStringList {u"Abc - Song.mp3"_qs} << u"Abc"_qs << QStringList {u"Song.mp3"_qs};
    QTest::newRow("cut at second hyphen, trailing blank kept")
        << QStringList {u"Abc - Song - Live.mp3"_qs} << u"Abc"_qs << QStringList {u"Song "_qs};
    QTest::newRow("spellings that beautify alike")
        << QStringList {u"Abc-Song.mp3"_qs, u"abc - Two.mp3"_qs, u"ABC   - Three.mp3"_qs,
               u"  aBc - Four.mp3"_qs}
        << u"Abc"_qs
        << QStringList {u"Song.mp3"_qs, u"Two.mp3"_qs, u"Three.mp3"_qs, u"Four.mp3"_qs};
    QTest::newRow("runs of blanks between words")
        << QStringList {u"A  B - Song.mp3"_qs} << u"A B"_qs << QStringList {u"Song.mp3"_qs};
    QTest::newRow("longer artist and no hyphen do not match") << QStringList {u"Abcd - Song.mp3"_qs,
        u"Abc.mp3"_qs, u"Ab c - x.mp3"_qs} << u"Abc"_qs << QStringList {};
    QTest::newRow("whole name without hyphen has no title")
        << QStringList {u"abc"_qs, u"Abc - x"_qs} << u"Abc"_qs << QStringList {u"x"_qs};
    QTest::newRow("duplicates kept")
        << QStringList {u"Abc - Song - 1.mp3"_qs, u"Abc - Song - 2.mp3"_qs} << u"Abc"_qs
        << QStringList {u"Song "_qs, u"Song "_qs};
    QTest::newRow("empty artist only under the empty entry")
        << QStringList {u"- Intro.mp3"_qs, u"  - Outro.mp3"_qs, u"Abc - x"_qs} << QString()
        << QStringList {u"Intro.mp3"_qs, u"Outro.mp3"_qs};
    QTest::newRow("first letter upper-cased, accents too") << QStringList {u"éLAN - x"_qs,
        u"élan - y"_qs, u"Elan - z"_qs} << u"Élan"_qs << QStringList {u"x"_qs, u"y"_qs};
    QTest::newRow("exact case of the entry counts")
        << QStringList {u"abc - x"_qs} << u"abc"_qs << QStringList {};
    QTest::newRow("no files") << QStringList {} << u"Abc"_qs << QStringList {};
}

void TestNames::songTitles()
{
    QFETCH(QStringList, files);
    QFETCH(QString, artist);
    QFETCH(QStringList, titles);
    QCOMPARE(arvelo::songTitles(files, artist), titles);
}

QTEST_APPLESS_MAIN(TestNames)
#include "tst_names.moc"
