// Scan and move on real volumes, mounted by scripts/with-volumes: exFAT, NTFS and FAT through
// their FUSE drivers (no no-replace rename; hard links on NTFS only; names longer than 255
// bytes on exFAT and NTFS), an ext4 image that fills up during the move, and a read-only
// mount. Whatever the volume, no file is lost, nothing outside the folder changes, the report
// is what the disk shows, and a second pass moves nothing more.
#include "core/ArtistFolders.h"
#include "core/ArtistName.h"
#include "core/ArtistScan.h"
#include "core/FolderListing.h"
#include "core/ListedFolder.h"
#include "core/Module1.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "core/NameCodec.h"
#include "core/Passes.h"
#include "core/UndoPass.h"

#include "ByteTree.h"
#include "MainWindow.h"
#include "RunArvelo.h"

#include <QProcess>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

using namespace arvelo;
using namespace bytetree;

// About 200 songs by 20 artists: artist parts spelt in several cases, unicode, names that
// differ only in case, and titles longer than 255 bytes (but not 255 UTF-16 units). Each file
// holds its own name. A volume that refuses a name (too long, a case twin) simply lacks it.
static QList<QByteArray> makeFixture(const QByteArray &folder)
{
    const QStringList artists {u"Alpha"_s, u"Bravo Nine"_s, u"Café Noir"_s, u"Ærøskøbing"_s,
        u"Дмитрий Орлов"_s, u"東京 Ensemble"_s, u"Zoë"_s, u"Mira Vell"_s, u"Kelo"_s, u"Orin Dale"_s,
        u"Pax"_s, u"Quill"_s, u"Rhea Stone"_s, u"Sable"_s, u"Tamsin"_s, u"Ulla"_s, u"Vesna"_s,
        u"Wren"_s, u"Xian"_s, u"Yara Moss"_s};
    QList<QByteArray> made;
    const auto make = [&](const QString &name) {
        const QByteArray bytes = encodeName(name);
        if (makeFile(folder + '/' + bytes, bytes))
            made.append(bytes);
    };
    for (qsizetype a = 0; a < artists.size(); ++a) {
        const QString &artist = artists.at(a);
        for (int song = 0; song < 9; ++song) {
            const QString spelt
                = QStringList {artist, artist.toUpper(), artist.toLower()}.at(song % 3);
            make(u"%1 - Song %2.mp3"_s.arg(spelt).arg(song));
        }
        make(u"%1 - song 0.mp3"_s.arg(artist.toLower())); // the first song's case twin
        if (a % 5 == 0)
            make(u"%1 - %2.mp3"_s.arg(artist, QString(140, u'ø')));
    }
    make(u"Solo - alone.mp3"_s);
    return made;
}

// Songs by the artists in turn, "Ann - song 0007", each holding its name once made; moved and
// taken back as the program does, with their journals in state. A pass that does not end moves -1.
struct Songs
{
    QString folder;
    QStringList artists, files;
    QTemporaryDir journals;
    QString state = journals.path();

    Songs(const QByteArray &in, const QStringList &by, int count)
        : folder(decodeName(in))
        , artists(by)
    {
        for (int k = 0; k < count; ++k)
            files.append(u"%1 - song %2"_s.arg(by.at(k % by.size())).arg(k, 4, 10, QChar(u'0')));
    }
    QByteArray make() const { return bytetree::make(folder, files); }
    qsizetype move() const
    {
        const auto pass
            = journaledMove(ListedFolder(folder, std::nullopt), {artists, files}, {}, state).pass;
        const bool done
            = pass->step(QDeadlineTimer::Forever, std::numeric_limits<qsizetype>::max());
        return done ? pass->summary().moved : -1;
    }
    // How many came back, and how many stayed.
    std::pair<qsizetype, qsizetype> undo() const
    {
        UndoPass pass(ListedFolder(folder, std::nullopt), false, {}, state);
        return {pass.step() ? pass.summary().moved : -1, pass.summary().stayed.size()};
    }
};

class TestFilesystems : public QObject
{
    Q_OBJECT

    static QByteArray volume(const char *name)
    {
        return qgetenv(QByteArray("ARVELO_VOLUME_") + name);
    }

    // The volumes a test runs on, one row each: its tag, and the volume's name.
    static void onVolumes(std::initializer_list<std::pair<const char *, const char *>> rows)
    {
        QTest::addColumn<QByteArray>("root");
        for (const auto &[tag, name] : rows)
            QTest::newRow(tag) << volume(name);
    }

private slots:
    void initTestCase()
    {
        if (volume("EXFAT").isEmpty())
            QFAIL("no volumes: run through scripts/with-volumes (ctest -L filesystems does)");
    }

    void scanAndMove_data()
    {
        onVolumes({{"exFAT", "EXFAT"}, {"NTFS", "NTFS"}, {"FAT", "FAT"}, {"ext4, full", "EXT4"},
            {"read-only", "READONLY"}});
    }

    void scanAndMove()
    {
        QFETCH(QByteArray, root);
        const QByteArray tag = QTest::currentDataTag();
        const bool full = tag.startsWith("ext4");
        const bool readOnly = tag == "read-only";
        const bool longNames = tag == "exFAT" || tag == "NTFS";
        // The fixture is written where the volume is writable.
        const QByteArray writable = readOnly ? volume("READONLY_SOURCE") : root;

        QVERIFY(::mkdir(writable + "/music", 0777) == 0);
        const QList<QByteArray> fixture = makeFixture(writable + "/music");
        // fusefat takes no name beyond ASCII: five artists are missing there.
        const int artists = tag == "FAT" ? 15 : 20;
        QVERIFY2(fixture.size() >= artists * 9, QByteArray::number(fixture.size()));
        QCOMPARE(std::ranges::count_if(fixture, [](const QByteArray &n) { return n.size() > 255; }),
            longNames ? 4 : 0);
        if (full) {
            // Filled to the last block, less a few, so only the first artist folders fit.
            const int fd = ::open(root + "/filler", O_WRONLY | O_CREAT | O_EXCL, 0644);
            const QByteArray block(1024, 'f');
            off_t size = 0;
            while (::write(fd, block.constData(), block.size()) == block.size())
                size += block.size();
            QCOMPARE(::ftruncate(fd, size - 4 * block.size()), 0);
            ::syncfs(fd);
            ::close(fd);
        }
        const Files before = files(root);
        const QString folder = decodeName(root + "/music");

        // The scan and the move, as the program runs them.
        const auto scanAndMoveOnce = [&]() {
            const ListedFiles listed = listFiles(folder).value_or(ListedFiles());
            const QStringList entries
                = scanFolder(ListedFolder(folder, listed.folder), listed.names, true, {})
                      .value_or(ScanOutcome())
                      .artists;
            MovePass pass(std::make_unique<DiskFolders>(ListedFolder(folder, listed.folder)),
                folder, {entries, listed.names});
            pass.step();
            return std::pair(entries, pass.summary());
        };
        const auto [entries, summary] = scanAndMoveOnce();
        QCOMPARE(entries.size(), artists);

        // Nothing lost, nothing made or changed outside the folder.
        const Files after = files(root);
        QCOMPARE(held(after), held(before));
        const auto outside = [&](Files files) {
            std::erase_if(files, [&](const auto &file) { return file.first.startsWith("music/"); });
            return files;
        };
        QVERIFY(outside(after) == outside(before));

        // The report is the disk: a moved file stands only in its artist's folder, one that
        // stayed only where it was.
        QSet<QByteArray> stayed;
        for (const StayedFile &file : summary.stayed)
            stayed.insert(encodeName(file.file));
        qsizetype moved = 0;
        for (const QByteArray &name : fixture) {
            if (!entries.contains(Module1::BeautifyName(artistPart(decodeName(name)))))
                continue;
            const auto at = std::ranges::count_if(after, [&](const auto &file) {
                return file.second == name.left(256) && file.first.endsWith('/' + name);
            });
            QCOMPARE(at, 1);
            const bool inPlace = after.count("music/" + name) == 1;
            QVERIFY2(inPlace == stayed.contains(name), name);
            moved += !inPlace;
        }
        QCOMPARE(moved, summary.moved);

        if (readOnly) {
            QCOMPARE(summary.moved, 0);
            QVERIFY(moveReport(summary).contains(u"read-only medium"_s));
        } else if (full) {
            QVERIFY(summary.moved > 0 && !summary.stayed.isEmpty());
        } else {
            // Long names too are listed and moved byte for byte.
            QCOMPARE(moveReport(summary), QString());
        }
        // Pressed again: nothing more moves.
        QCOMPARE(scanAndMoveOnce().second.moved, 0);
    }

    // A journal that fills its disk: what could not be written down first does not move, and
    // everything that moved comes back.
    void journalOnAFullDisk()
    {
        QTemporaryDir dir;
        QStringList artists;
        for (int k = 0; k < 30; ++k)
            artists.append(u"Artist%1"_s.arg(k));
        Songs songs(QFile::encodeName(dir.path()), artists, 1500);
        songs.state = decodeName(volume("SMALL") + "/arvelo");
        QCOMPARE(songs.make(), QByteArray());
        const qsizetype moved = songs.move();
        QVERIFY2(moved > 0 && moved < songs.files.size(), qPrintable(QString::number(moved)));
        QCOMPARE(songs.undo().first, moved);
        QCOMPARE(listFiles(songs.folder).value_or(ListedFiles()).names.size(), songs.files.size());
    }

    // Another program saves over the songs' old names while they move, as an editor saves: a
    // file written aside, then renamed over the old name. Each save comes the moment its song's
    // new name appears, where a move by link and removal of the old name is most exposed. No
    // save and no song is lost.
    void savesDuringMove_data() { onVolumes({{"NTFS", "NTFS"}, {"sshfs", "SSHFS"}}); }

    void savesDuringMove()
    {
        QFETCH(QByteArray, root);
        const QByteArray folder = root + "/saves";
        Songs songs(folder, {u"Kelo"_s}, 1200);
        QCOMPARE(songs.make(), QByteArray());
        std::atomic<bool> moving = true;
        int saves = 0;
        std::thread editor([&] {
            for (const QString &file : std::as_const(songs.files)) {
                const QByteArray name = file.toLatin1();
                if (!makeFile(folder + "/.saving", "saved " + name))
                    return;
                while (moving && ::access(folder + "/Kelo/" + name, F_OK) != 0)
                    std::this_thread::yield();
                saves += ::rename(folder + "/.saving", folder + '/' + name) == 0;
            }
        });
        const qsizetype moved = songs.move();
        moving = false;
        editor.join();
        QCOMPARE(saves, songs.files.size());
        QCOMPARE(moved, songs.files.size());

        QByteArrayList expected;
        for (const QString &file : std::as_const(songs.files))
            expected << "saved " + file.toLatin1() << file.toLatin1();
        std::sort(expected.begin(), expected.end());
        QCOMPARE(held(files(folder)), expected);
    }

    // A move taken back where files are numbered afresh: on sshfs a file's new name, a hard
    // link, has a number of its own; an exFAT stick mounted again numbers every file anew. Two
    // files in artist folders are replaced meanwhile, one by a longer file, one by a file of
    // the same size and another time: those stay, everything else comes back.
    void undoWhereNumbersChange_data()
    {
        onVolumes({{"sshfs", "SSHFS"}, {"exFAT mounted again", "EXFAT"}});
    }

    void undoWhereNumbersChange()
    {
        QFETCH(QByteArray, root);
        const QByteArray folder = root + "/undo";
        // exfat-fuse numbers folders as it meets them: mounted again, the folder gets another.
        QCOMPARE(make(root, {"before/"}), QByteArray());
        Songs songs(folder, {u"Ann"_s, u"Bo"_s}, 40);
        QCOMPARE(songs.make(), QByteArray());
        Files expected = files(folder);
        QCOMPARE(songs.move(), songs.files.size());
        if (root == volume("EXFAT")) {
            QCOMPARE(QProcess::execute(u"umount"_s, {decodeName(root)}), 0);
            QCOMPARE(QProcess::execute(u"mount.exfat-fuse"_s,
                         {decodeName(volume("EXFAT_DEVICE")), decodeName(root)}),
                0);
        }
        for (const QByteArray name : {"Ann - song 0000", "Bo - song 0001"}) {
            const bool longer = name.startsWith("Ann");
            const QByteArray path = name.left(name.indexOf(' ')) + '/' + name;
            const QByteArray other = longer ? "longer than the song" : "Bo - song 0099";
            struct stat song = {};
            QCOMPARE(::lstat(folder + '/' + path, &song), 0);
            QVERIFY(makeFile(folder + "/.new", other));
            QCOMPARE(::rename(folder + "/.new", folder + '/' + path), 0);
            // Each differs from the song in one thing only. (exfat-fuse mishandles UTIME_OMIT.)
            const timespec time = longer ? song.st_mtim : timespec {1'000'000'000, 0};
            const timespec times[2] {time, time};
            QCOMPARE(::utimensat(AT_FDCWD, folder + '/' + path, times, 0), 0);
            expected.erase(name);
            expected[path] = other;
        }
        QCOMPARE(songs.undo(), std::pair(songs.files.size() - 2, qsizetype(2)));
        QCOMPARE(files(folder), expected);
    }

    // A move or undo killed on exFAT right after it reserved a name for a song leaves that empty
    // file. The next move or undo of the folder removes it; everything else is as it should be.
    void killedOnExfat_data()
    {
        QTest::addColumn<QByteArrayList>("verbs"); // the one killed, then the next
        QTest::newRow("move, then a move") << QByteArrayList {"--move", "--move"};
        QTest::newRow("move, then an undo") << QByteArrayList {"--move", "--undo"};
        QTest::newRow("undo, then an undo") << QByteArrayList {"--undo", "--undo"};
    }

    void killedOnExfat()
    {
        QFETCH(QByteArrayList, verbs);
        const QByteArray killed = verbs.first(), then = verbs.last();
        const QByteArray folder = volume("EXFAT") + "/killed" + killed + then;
        Songs songs(folder, {u"Ann"_s, u"Bo"_s}, 20);
        QCOMPARE(songs.make(), QByteArray());
        const Files before = files(folder);
        const auto arvelo = [&](const QByteArray &verb, QStringList environment) {
            return runArvelo({verb, folder}, environment << u"XDG_STATE_HOME="_s + songs.state)
                .exitCode;
        };
        if (killed == "--undo")
            QCOMPARE(arvelo("--move", {}), 0);
        QCOMPARE(arvelo(killed,
                     {QString::fromUtf8("LD_PRELOAD=" ARVELO_SLOW_RENAME),
                         u"ARVELO_KILL_AT_RENAME=Bo - song 0005"_s}),
            -1);
        const QByteArray reserved = killed == "--move" ? "Bo/Bo - song 0005" : "Bo - song 0005";
        const Files left = files(folder);
        QVERIFY2(left.count(reserved), reserved.constData());
        QCOMPARE(left.at(reserved), QByteArray());

        QCOMPARE(arvelo(then, {}), 0);
        const Files after = files(folder);
        QCOMPARE(held(after), held(before));
        if (then == "--undo")
            QCOMPARE(after, before);
    }

    // The same through the window, on exFAT.
    void throughTheWindow()
    {
        const QByteArray root = volume("EXFAT");
        QVERIFY(::mkdir(root + "/window", 0777) == 0);
        const QList<QByteArray> fixture = makeFixture(root + "/window");
        const Files before = files(root + "/window");

        Form1 &form = scanned(decodeName(root + "/window"));
        QCOMPARE(form.List1->ListCount(), 20);
        QCOMPARE(pressMove(form), QStringList());
        QCOMPARE(form.File1->items(), QStringList {u"Solo - alone.mp3"_s});
        Form1::slot().unload();

        const Files after = files(root + "/window");
        QCOMPARE(held(after), held(before));
        for (const QByteArray &name : fixture) {
            if (!name.startsWith("Solo"))
                QVERIFY2(after.count(name) == 0, name);
        }
    }
};

QTEST_MAIN(TestFilesystems)
#include "tst_filesystems.moc"
