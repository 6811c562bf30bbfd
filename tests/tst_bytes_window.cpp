// Names that are not UTF-8, and a start folder that cannot be read, through the real window.
#include "core/NameCodec.h"

#include "ByteTree.h"
#include "MainWindow.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace arvelo;
using namespace bytetree;

class TestBytesWindow : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QByteArray m_root;
    // Where the suite started; a test that leaves it comes back.
    const QByteArray m_startedIn = QFile::encodeName(QDir::currentPath());
    std::optional<MessageBoxAnswerer> m_user;

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_root = QFile::encodeName(m_dir->path());
        // Answers each message box as it comes, noting its text.
        m_user.emplace(10);
    }

    void cleanup()
    {
        m_user.reset();
        unloadWindows();
        QCOMPARE(::chdir(m_startedIn.constData()), 0);
        removeTree(m_root);
        m_dir.reset();
    }

    // Started inside a folder named in Latin-1: that folder is listed, scanned and sorted,
    // byte for byte, and the screen shows the bytes that are no text as U+FFFD.
    void latin1NamesThroughTheWindow()
    {
        const QByteArray folder = m_root + "/Caf\xe9";
        // In byte order.
        const QList<QByteArray> names {"Caf\xe9 - One.mp3", "Solo - x.mp3", "caf\xe9 - Two.mp3",
            "\xff\xfe - a.mp3", "\xff\xfe - b.mp3"};
        QCOMPARE(make(folder, names), QByteArray());
        QCOMPARE(::chdir(folder.constData()), 0);

        Form1 &form = Form1::slot().show(currentFolder());
        QVERIFY(m_user->texts.isEmpty());
        QCOMPARE(encodeName(form.File1->Path()), folder);
        QCOMPARE(encodeName(form.Dir1->Path()), folder);
        QList<QByteArray> listed;
        for (const QString &item : form.File1->items())
            listed.append(encodeName(item));
        std::ranges::sort(listed);
        QCOMPARE(listed, names);
        // Shown with the replacement character, kept with its bytes.
        const int cafe = int(form.File1->items().indexOf(decodeName("Caf\xe9 - One.mp3")));
        QVERIFY(cafe >= 0);
        QCOMPARE(form.File1->model()->index(cafe, 0).data().toString(), u"Caf\uFFFD - One.mp3"_s);
        QCOMPARE(form.Dir1->item(form.Dir1->currentRow())->text(), u"Caf\uFFFD"_s);

        pressScan(form);
        QStringList artists;
        for (const QString &artist : form.List1->items())
            artists.append(QString::fromLatin1(encodeName(artist).toHex()));
        artists.sort();
        // "Caf\xe9" and "\xff\xfe", as bytes.
        QCOMPARE(artists, QStringList({u"436166e9"_s, u"fffe"_s}));

        QCOMPARE(pressMove(form), QStringList());
        QVERIFY(m_user->texts.isEmpty());
        QCOMPARE(tree(m_root),
            QByteArrayList({"Caf\xe9/", "Caf\xe9/Caf\xe9/",
                "Caf\xe9/Caf\xe9/Caf\xe9 - One.mp3=Caf\xe9 - One.mp3",
                "Caf\xe9/Caf\xe9/caf\xe9 - Two.mp3=caf\xe9 - Two.mp3",
                "Caf\xe9/Solo - x.mp3=Solo - x.mp3", "Caf\xe9/\xff\xfe/",
                "Caf\xe9/\xff\xfe/\xff\xfe - a.mp3=\xff\xfe - a.mp3",
                "Caf\xe9/\xff\xfe/\xff\xfe - b.mp3=\xff\xfe - b.mp3"}));
    }

    void unreadableStartFolder_data()
    {
        // Below the temporary folder; the lists start on "music" each time.
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<bool>("told");
        QTest::newRow("readable") << QByteArray("music") << false;
        QTest::newRow("missing") << QByteArray("music/gone/deeper") << true;
        QTest::newRow("a file") << QByteArray("music/song.mp3") << true;
        QTest::newRow("missing, named in Latin-1") << QByteArray("music/Caf\xe9") << true;
    }

    void unreadableStartFolder()
    {
        QFETCH(QByteArray, start);
        QFETCH(bool, told);
        QCOMPARE(make(m_root, {"music/song.mp3"}), QByteArray());

        // The message comes before the window appears.
        bool visibleWhenTold = false;
        m_user->answer = [&visibleWhenTold](QMessageBox &box) {
            visibleWhenTold = Form1::slot().get() && Form1::slot().get()->isVisible();
            box.accept();
            return true;
        };
        const QString path = decodeName(m_root + '/' + start);
        Form1 &form = Form1::slot().show(path);
        m_user->answer = nullptr;
        QCOMPARE(encodeName(form.Dir1->Path()), m_root + "/music");
        QCOMPARE(encodeName(form.File1->Path()), m_root + "/music");
        QStringList expected;
        if (told)
            expected.append(u"The folder \"%1\" could not be read."_s.arg(displayName(path)));
        QCOMPARE(m_user->texts, expected);
        QVERIFY(!visibleWhenTold);
    }
};

QTEST_MAIN(TestBytesWindow)
#include "tst_bytes_window.moc"
