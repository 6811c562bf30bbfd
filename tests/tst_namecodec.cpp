#include "core/FolderListing.h"
#include "core/NameCodec.h"

#include "ByteTree.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace arvelo;
using namespace bytetree;

class TestNameCodec : public QObject
{
    Q_OBJECT

private slots:
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
        QByteArray bytes;
        for (int a = 0; a < 256; ++a) {
            QVERIFY(check(QByteArray(1, char(a))));
            for (int b = 0; b < 256; ++b) {
                QVERIFY(check(QByteArray(1, char(a)) + char(b)));
                for (int c = (a * 256 + b) % stride; c < 256; c += stride) {
                    bytes = QByteArray(1, char(a)) + char(b) + char(c);
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
            struct stat info
            { };
            QCOMPARE(::stat(encodeName(folder + u'/' + file).constData(), &info), 0);
        }
        QCOMPARE(subFolderNames(folder).value_or(QStringList()),
            QStringList({escaped(u"Dossier <e9>t<e9>"_s)}));
        // A folder named in Latin-1 can itself be read.
        QVERIFY(listFiles(folder + escaped(u"/Dossier <e9>t<e9>"_s)).has_value());
        removeTree(root);
    }
};

QTEST_GUILESS_MAIN(TestNameCodec)
#include "tst_namecodec.moc"
