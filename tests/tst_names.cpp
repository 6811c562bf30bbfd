#include "core/ArtistName.h"
#include "core/ArtistSongs.h"
#include "core/Drives.h"
#include "core/FolderListing.h"
#include "core/Module1.h"
#include "core/NameCodec.h"

#include "ByteTree.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using namespace arvelo;
using namespace bytetree;

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
        row("hyphen inside", u"Zeno-Quill - x.mp3|Zeno|ZENO|Zeno|ZENO");
        // A name without one, such as a folder's, is all artist.
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
        // Lists are written joined by "|".
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QStringList>("titles");
        const auto row
            = [](const char *tag, QStringView files, QStringView artist, QStringView titles) {
                  const auto list = [](QStringView joined) {
                      return joined.toString().split(u'|', Qt::SkipEmptyParts);
                  };
                  QTest::newRow(tag) << list(files) << artist.toString() << list(titles);
              };
        // Which files are the artist's; how a title is cut is artistPart's table.
        row("spellings that beautify alike",
            u"Abc-Song.mp3|abc - Two.mp3|ABC   - Three.mp3|  aBc - Four.mp3", u"Abc",
            u"Song.mp3|Two.mp3|Three.mp3|Four.mp3");
        row("runs of blanks between words", u"A  B - Song.mp3", u"A B", u"Song.mp3");
        row("longer artist and no hyphen do not match", u"Abcd - Song.mp3|Abc.mp3|Ab c - x.mp3",
            u"Abc", u"");
        row("whole name without hyphen has no title", u"abc|Abc - x", u"Abc", u"x");
        row("duplicates kept", u"Abc - Song - 1.mp3|Abc - Song - 2.mp3", u"Abc", u"Song |Song ");
        row("empty artist only under the empty entry", u"- Intro.mp3|  - Outro.mp3|Abc - x", {},
            u"Intro.mp3|Outro.mp3");
        row("first letter upper-cased, accents too", u"éLAN - x|élan - y|Elan - z", u"Élan",
            u"x|y");
        row("exact case of the entry counts", u"abc - x", u"abc", u"");
        row("no files", u"", u"Abc", u"");
    }

    void songTitles()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, artist);
        QFETCH(QStringList, titles);
        QCOMPARE(arvelo::songTitles(files, artist), titles);
    }

    // Paths and drives.
    void driveOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        const auto row = [](const char *tag, const char16_t *path, const char16_t *drive) {
            QTest::newRow(tag) << QString::fromUtf16(path) << QString::fromUtf16(drive);
        };
        row("root only", u"/home/ann", u"/");
        row("longest root wins", u"/media/stick/music", u"/media/stick");
        row("the root itself", u"/media/stick", u"/media/stick");
        row("a longer name is another drive", u"/media/sticky/x", u"/");
        row("cleaned before it is matched", u"/media/stick/../sticky", u"/");
        row("trailing separator on the path", u"/media/stick/", u"/media/stick");
        row("no root matches", u"/elsewhere", u"");
    }
    void driveOf()
    {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        const QStringList roots {u"/media/stick/"_s, u"/mnt/cd"_s};
        QCOMPARE(
            arvelo::driveOf(path, drive.isEmpty() ? roots : roots + QStringList {u"/"_s}), drive);
    }
    void parentFolderOfATopFolderIsTheRoot() { QCOMPARE(arvelo::parentFolder(u"/x"_s), u"/"_s); }

    // Names as bytes.
    void everyShortSequenceRoundTrips()
    {
        // Every byte sequence up to three bytes; under the sanitizers, every seventh of the
        // three-byte ones, which still meets every lead byte with every continuation.
#ifdef ARVELO_SANITIZE
        constexpr int stride = 7;
#else
        constexpr int stride = 1;
#endif
        qsizetype checked = 0;
        // A name keeps a leading byte order mark, like any other character.
        QStringDecoder utf8(QStringDecoder::Utf8,
            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const auto check = [&checked, &utf8](const QByteArray &bytes) {
            const QString name = decodeName(bytes);
            if (encodeName(name) != bytes)
                return false;
            // Text that is valid UTF-8 reads as it always did.
            const QString usual = utf8.decode(bytes);
            const bool escaped = displayName(name) != name;
            if (!escaped && name != usual)
                return false;
            ++checked;
            return true;
        };
        QVERIFY(check(QByteArray()));
        for (int a = 0; a < 256; ++a) {
            QVERIFY(check(QByteArray(1, char(a))));
            for (int b = 0; b < 256; ++b) {
                QVERIFY(check(QByteArray(1, char(a)) + char(b)));
                for (int c = (a * 256 + b) % stride; c < 256; c += stride) {
                    const QByteArray bytes = QByteArray(1, char(a)) + char(b) + char(c);
                    QVERIFY2(check(bytes), bytes.toHex().constData());
                }
            }
        }
        QVERIFY(checked > 1 + 256 + 65536);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name"); // "<e9>" the escape of byte 0xE9
        QTest::addColumn<QString>("shown");
        const auto row
            = [](const char *tag, const char *bytes, const char16_t *name, const char16_t *shown) {
                  QTest::newRow(tag) << QByteArray(bytes) << escaped(QString::fromUtf16(name))
                                     << QString::fromUtf16(shown);
              };
        row("ASCII", "Zeta - a.mp3", u"Zeta - a.mp3", u"Zeta - a.mp3");
        row("UTF-8", "Caf\xc3\xa9", u"Caf\u00e9", u"Caf\u00e9");
        row("Latin-1", "Caf\xe9", u"Caf<e9>", u"Caf\uFFFD");
        row("two bytes that are no text", "\xff\xfe", u"<ff><fe>", u"\uFFFD\uFFFD");
        // Its second UTF-16 unit, U+DC80, is also the escape of byte 0x80.
        row("four-byte character", "\xf0\x9f\x92\x80", u"\U0001F480", u"\U0001F480");
        row("surrogate written as UTF-8", "\xed\xb3\xa9", u"<ed><b3><a9>", u"\uFFFD\uFFFD\uFFFD");
        row("overlong slash", "\xc0\xaf", u"<c0><af>", u"\uFFFD\uFFFD");
        row("cut short", "a\xe2\x82", u"a<e2><82>", u"a\uFFFD\uFFFD");
        row("escape after a four-byte character", "\xf0\x9f\x8e\xb5\xe9", u"\U0001F3B5<e9>",
            u"\U0001F3B5\uFFFD");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QCOMPARE(decodeName(bytes), name);
        QCOMPARE(encodeName(name), bytes);
        QCOMPARE(displayName(name), shown);
    }

    void realFilesKeepTheirBytes()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path());
        const QList<QByteArray> names {"Caf\xe9 - One.mp3", "\xff\xfe - x.mp3", "plain.mp3",
            "Caf\xc3\xa9 - Two.mp3", "\xed\xb3\xa9"};
        QCOMPARE(make(root, names + QByteArrayList {"Dossier \xe9t\xe9/"}), QByteArray());

        const QString folder = decodeName(root);
        const QStringList files = listFiles(folder).value_or(ListedFiles()).names;
        QCOMPARE(files.size(), names.size());
        for (const QString &file : std::as_const(files)) {
            QVERIFY(names.contains(encodeName(file)));
            struct stat info = {};
            QCOMPARE(::stat(encodeName(folder + u'/' + file).constData(), &info), 0);
        }
        QCOMPARE(subFolderNames(folder).value_or(QStringList()),
            QStringList({escaped(u"Dossier <e9>t<e9>"_s)}));
        // A folder named in Latin-1 can itself be read.
        QVERIFY(listFiles(folder + escaped(u"/Dossier <e9>t<e9>"_s)).has_value());
        removeTree(root);
    }
};

QTEST_GUILESS_MAIN(TestNames)
#include "tst_names.moc"
