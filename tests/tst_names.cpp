#include "core/ArtistName.h"
#include "core/ArtistSongs.h"
#include "core/Module1.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace arvelo;

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    void artistKey_data()
    {
        // The name, then its key without options, upper-cased, blanks overlooked, and both.
        QTest::addColumn<QStringList>("keys");
        const auto row = [](const char *tag, const char16_t *keys) {
            QTest::newRow(tag) << QString::fromUtf16(keys).split(u'|');
        };
        row("plain", u"Zeno Quill - Blue Road.mp3|Zeno Quill|ZENO QUILL|ZenoQuill|ZENOQUILL");
        row("double blanks", u"zeno  quill  - x.mp3|zeno  quill|ZENO  QUILL|zenoquill|ZENOQUILL");
        row("leading blank", u" Zeno Quill - x.mp3| Zeno Quill| ZENO QUILL|ZenoQuill|ZENOQUILL");
        row("folder name", u"Zeno Quill|Zeno Quill|ZENO QUILL|ZenoQuill|ZENOQUILL");
        row("hyphen inside", u"Zeno-Quill - x.mp3|Zeno|ZENO|Zeno|ZENO");
        row("no hyphen", u"Blue Road.mp3|Blue Road.mp3|BLUE ROAD.MP3|BlueRoad.mp3|BLUEROAD.MP3");
        row("starts with hyphen", u"- Intro.mp3||||");
        row("blanks then hyphen", u"  - Intro.mp3||||");
        row("empty", u"||||");
        row("tab before hyphen", u"Zeno\t- x.mp3|Zeno\t|ZENO\t|Zeno\t|ZENO\t");
        row("tab between words", u"Ze no\tQ - x|Ze no\tQ|ZE NO\tQ|Zeno\tQ|ZENO\tQ");
        row("sharp s stays one letter", u"Straße - x.mp3|Straße|STRAßE|Straße|STRAßE");
        row("accented letters", u"éa - x|éa|ÉA|éa|ÉA");
        row("non-breaking space is no blank", u"A\u00a0B - x|A\u00a0B|A\u00a0B|A\u00a0B|A\u00a0B");
        row("en dash is no separator", u"A \u2013 B|A \u2013 B|A \u2013 B|A\u2013B|A\u2013B");
    }

    void artistKey()
    {
        QFETCH(QStringList, keys);
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(arvelo::artistKey(
                         keys.first(), {.overlookSpaces = k > 2, .convertToUppercase = k % 2 == 0}),
                keys.at(k));
    }

    void artistPart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<bool>("hasTitle");
        QTest::addColumn<QString>("title");

        QTest::newRow("usual") << u"Abc - Song.mp3"_s << u"Abc "_s << true << u"Song.mp3"_s;
        QTest::newRow("second hyphen ends title")
            << u"Abc - Song - Live.mp3"_s << u"Abc "_s << true << u"Song "_s;
        QTest::newRow("no blanks") << u"Abc-Song.mp3"_s << u"Abc"_s << true << u"Song.mp3"_s;
        QTest::newRow("blanks kept") << u"  A  B - x"_s << u"  A  B "_s << true << u"x"_s;
        QTest::newRow("no hyphen") << u"Abc.mp3"_s << u"Abc.mp3"_s << false << QString();
        QTest::newRow("leading hyphen") << u"- Intro.mp3"_s << QString() << true << u"Intro.mp3"_s;
        QTest::newRow("empty title") << u"Abc -"_s << u"Abc "_s << true << QString();
        QTest::newRow("double hyphen") << u"Abc--x"_s << u"Abc"_s << true << QString();
    }

    void artistPart()
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

    void beautifyName_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks only") << u"    "_s << QString();
        QTest::newRow("runs of blanks") << u"hELLO   wORLD"_s << u"Hello World"_s;
        QTest::newRow("blanks at both ends") << u"  the   quick  fox "_s << u"The Quick Fox"_s;
        QTest::newRow("hyphen is inside a word") << u"mIXed-CASE name"_s << u"Mixed-case Name"_s;
        QTest::newRow("apostrophe is inside a word")
            << u"l'OMBRA di mare"_s << u"L'ombra Di Mare"_s;
        QTest::newRow("leading digit") << u"1st plACE"_s << u"1st Place"_s;
        QTest::newRow("tab is inside a word") << u"aa\tBB"_s << u"Aa\tbb"_s;
        QTest::newRow("single letter") << u"q"_s << u"Q"_s;
        QTest::newRow("joined words stay joined") << u"abcd"_s << u"Abcd"_s;
        QTest::newRow("separate words") << u"ab cd"_s << u"Ab Cd"_s;
        QTest::newRow("help example") << u"LoRIn vE  cAstU"_s << u"Lorin Ve Castu"_s;
        QTest::newRow("help example 2") << u"TEOD    VARNEL"_s << u"Teod Varnel"_s;
        QTest::newRow("sharp s") << u"STRAßE ßa"_s << u"Straße ßa"_s;
        QTest::newRow("accents") << u"éLAN ÀB"_s << u"Élan Àb"_s;
        QTest::newRow("bracket first") << u"(LIVE) set"_s << u"(live) Set"_s;
        QTest::newRow("astral letter, alone and first")
            << u"ab \U00010428 \U00010428X"_s << u"Ab \U00010400 \U00010400x"_s;
        // Letters without a one-character case partner stay as they are; lengths never change.
        QTest::newRow("ligature") << u"ﬁx ß"_s << u"ﬁx ß"_s;
        QTest::newRow("dotted capital I") << u"İİ"_s << u"İİ"_s;
    }

    void beautifyName()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QString once = Module1::BeautifyName(input);
        QCOMPARE(once, expected);
        QCOMPARE(Module1::BeautifyName(once), once);
        // Letter case and the number of blanks between words never matter.
        QCOMPARE(Module1::BeautifyName(arvelo::upperEach(input)),
            Module1::BeautifyName(arvelo::lowerEach(input)));
        QCOMPARE(Module1::BeautifyName(u"  "_s + input.replace(u' ', u"   "_s) + u' '), expected);
    }

    void songTitles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QStringList>("titles");

        QTest::newRow("extension stays")
            << QStringList {u"Abc - Song.mp3"_s} << u"Abc"_s << QStringList {u"Song.mp3"_s};
        QTest::newRow("cut at second hyphen, trailing blank kept")
            << QStringList {u"Abc - Song - Live.mp3"_s} << u"Abc"_s << QStringList {u"Song "_s};
        QTest::newRow("spellings that beautify alike")
            << QStringList {u"Abc-Song.mp3"_s, u"abc - Two.mp3"_s, u"ABC   - Three.mp3"_s,
                   u"  aBc - Four.mp3"_s}
            << u"Abc"_s << QStringList {u"Song.mp3"_s, u"Two.mp3"_s, u"Three.mp3"_s, u"Four.mp3"_s};
        QTest::newRow("runs of blanks between words")
            << QStringList {u"A  B - Song.mp3"_s} << u"A B"_s << QStringList {u"Song.mp3"_s};
        QTest::newRow("longer artist and no hyphen do not match")
            << QStringList {u"Abcd - Song.mp3"_s, u"Abc.mp3"_s, u"Ab c - x.mp3"_s} << u"Abc"_s
            << QStringList {};
        QTest::newRow("whole name without hyphen has no title")
            << QStringList {u"abc"_s, u"Abc - x"_s} << u"Abc"_s << QStringList {u"x"_s};
        QTest::newRow("duplicates kept")
            << QStringList {u"Abc - Song - 1.mp3"_s, u"Abc - Song - 2.mp3"_s} << u"Abc"_s
            << QStringList {u"Song "_s, u"Song "_s};
        QTest::newRow("empty artist only under the empty entry")
            << QStringList {u"- Intro.mp3"_s, u"  - Outro.mp3"_s, u"Abc - x"_s} << QString()
            << QStringList {u"Intro.mp3"_s, u"Outro.mp3"_s};
        QTest::newRow("first letter upper-cased, accents too") << QStringList {u"éLAN - x"_s,
            u"élan - y"_s, u"Elan - z"_s} << u"Élan"_s << QStringList {u"x"_s, u"y"_s};
        QTest::newRow("exact case of the entry counts")
            << QStringList {u"abc - x"_s} << u"abc"_s << QStringList {};
        QTest::newRow("no files") << QStringList {} << u"Abc"_s << QStringList {};
    }

    void songTitles()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, artist);
        QFETCH(QStringList, titles);
        QCOMPARE(arvelo::songTitles(files, artist), titles);
    }
};

QTEST_APPLESS_MAIN(TestNames)
#include "tst_names.moc"
