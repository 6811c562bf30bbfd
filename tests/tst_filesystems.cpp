// Scan and move on real volumes, mounted by scripts/with-volumes: exFAT, NTFS and FAT through
// their FUSE drivers (no no-replace rename; hard links on NTFS only; names longer than 255
// bytes on exFAT and NTFS), an ext4 image that fills up during the move, and a read-only
// mount. Whatever the volume, no file is lost, nothing outside the folder changes, the report
// is what the disk shows, and a second pass moves nothing more.
#include "core/ArtistFolders.h"
#include "core/ArtistName.h"
#include "core/ArtistScan.h"
#include "core/ArtistSongs.h"
#include "core/FolderListing.h"
#include "core/ListedFolder.h"
#include "core/Module1.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "core/NameCodec.h"
#include "core/Passes.h"
#include "core/UndoPass.h"
#include "windows/Caut.h"
#include "windows/Form1.h"
#include "windows/Form2.h"

#include "ByteTree.h"
#include "MessageBoxes.h"
#include "RunArvelo.h"

#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <map>
#include <thread>

using namespace Qt::StringLiterals;

using namespace arvelo;
using namespace bytetree;

namespace {

// Every regular file under root: path -> contents.
using Files = std::map<QByteArray, QByteArray>;

Files filesUnder(const QByteArray &root)
{
    Files files;
    for (const Entry &entry : entries(root))
        if (entry.held.startsWith('='))
            files[root + '/' + entry.path] = entry.held.sliced(1);
    return files;
}

QList<QByteArray> sortedContents(const Files &files)
{
    QList<QByteArray> all;
    for (const auto &[path, data] : files)
        all.append(data);
    std::sort(all.begin(), all.end());
    return all;
}

// About 200 songs by 20 artists: artist parts spelt in several cases, unicode, names that
// differ only in case, and titles longer than 255 bytes (but not 255 UTF-16 units). Each file
// holds its own name. A volume that refuses a name (too long, a case twin) simply lacks it.
QList<QByteArray> makeFixture(const QByteArray &folder)
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
            const QString spelt = song % 3 == 1 ? artist.toUpper()
                : song % 3 == 2                 ? artist.toLower()
                                                : artist;
            make(u"%1 - Song %2.mp3"_s.arg(spelt).arg(song));
        }
        make(u"%1 - song 0.mp3"_s.arg(artist.toLower())); // the first song's case twin
        if (a % 5 == 0)
            make(u"%1 - %2.mp3"_s.arg(artist, QString(140, u'ø')));
    }
    make(u"Solo - alone.mp3"_s);
    return made;
}

} // namespace

class TestFilesystems : public QObject
{
    Q_OBJECT

    static QByteArray volume(const char *name)
    {
        return qgetenv(QByteArray("ARVELO_VOLUME_") + name);
    }

private slots:
    void initTestCase()
    {
        if (volume("EXFAT").isEmpty())
            QFAIL("no volumes: run through scripts/with-volumes (ctest -L filesystems does)");
    }

    void scanAndMove_data()
    {
        QTest::addColumn<QByteArray>("root"); // the volume
        QTest::addColumn<QByteArray>("writable"); // where the fixture is written
        QTest::newRow("exFAT") << volume("EXFAT") << volume("EXFAT");
        QTest::newRow("NTFS") << volume("NTFS") << volume("NTFS");
        QTest::newRow("FAT") << volume("FAT") << volume("FAT");
        QTest::newRow("ext4, full") << volume("EXT4") << volume("EXT4");
        QTest::newRow("read-only") << volume("READONLY") << volume("READONLY_SOURCE");
    }

    void scanAndMove()
    {
        QFETCH(QByteArray, root);
        QFETCH(QByteArray, writable);
        const QByteArray tag = QTest::currentDataTag();
        const bool full = tag.startsWith("ext4");
        const bool readOnly = tag == "read-only";
        const bool longNames = tag == "exFAT" || tag == "NTFS";

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
        const Files before = filesUnder(root);
        const QString folder = decodeName(root + "/music");
        const QByteArray folder8 = root + "/music/";

        // The scan and the move, as the program runs them.
        const auto scanAndMoveOnce = [&]() {
            const ListedFiles listed = listFiles(folder).value_or(ListedFiles());
            const QStringList entries
                = scanFolder(ListedFolder(folder, listed.folder), listed.names, true, {})
                      .value_or(ScanOutcome())
                      .artists;
            MovePass pass(
                std::make_unique<DiskFolders>(ListedFolder(folder, listed.folder), listed.names),
                folder, {entries, listed.names});
            pass.step();
            return std::pair(entries, pass.summary());
        };
        const auto [entries, summary] = scanAndMoveOnce();
        QCOMPARE(entries.size(), artists);

        // Nothing lost, nothing made or changed outside the folder.
        const Files after = filesUnder(root);
        QCOMPARE(sortedContents(after), sortedContents(before));
        const auto outside = [&](Files files) {
            std::erase_if(files, [&](const auto &file) { return file.first.startsWith(folder8); });
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
            const bool inPlace = after.count(folder8 + name) == 1;
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
        QStringList files, artists;
        for (int k = 0; k < 1500; ++k)
            files.append(u"Artist%1 - song %2.mp3"_s.arg(k % 30).arg(k));
        QCOMPARE(make(dir.path(), files), QByteArray());
        for (int k = 0; k < 30; ++k)
            artists.append(u"Artist%1"_s.arg(k));
        const QString state = decodeName(volume("SMALL") + "/arvelo");
        auto pass
            = journaledMove(ListedFolder(dir.path(), std::nullopt), {artists, files}, {}, state)
                  .pass;
        QVERIFY(pass->step(QDeadlineTimer::Forever, std::numeric_limits<qsizetype>::max()));
        const qsizetype moved = pass->summary().moved;
        QVERIFY2(moved > 0 && moved < files.size(), qPrintable(QString::number(moved)));
        pass.reset();
        UndoPass undo(ListedFolder(dir.path(), std::nullopt), false, {}, state);
        QVERIFY(undo.step());
        QCOMPARE(undo.summary().moved, moved);
        QCOMPARE(listFiles(dir.path()).value_or(ListedFiles()).names.size(), files.size());
    }

    // Another program saves over the songs' old names while they move, as an editor saves: a
    // file written aside, then renamed over the old name. Each save comes the moment its song's
    // new name appears, where a move by link and removal of the old name is most exposed. No
    // save and no song is lost.
    void savesDuringMove_data()
    {
        QTest::addColumn<QByteArray>("root");
        QTest::newRow("NTFS") << volume("NTFS");
        QTest::newRow("sshfs") << volume("SSHFS");
    }

    void savesDuringMove()
    {
        QFETCH(QByteArray, root);
        const QByteArray folder = root + "/saves";
        QCOMPARE(::mkdir(folder, 0777), 0);
        constexpr int Songs = 1200;
        QStringList files;
        for (int k = 0; k < Songs; ++k) {
            files.append(u"Kelo - %1"_s.arg(k, 4, 10, QChar(u'0')));
            QVERIFY(makeFile(
                folder + '/' + files.last().toLatin1(), "song " + files.last().toLatin1()));
        }
        std::atomic<bool> moving = true;
        int saves = 0;
        std::thread editor([&] {
            for (const QString &file : std::as_const(files)) {
                const QByteArray name = file.toLatin1();
                if (!makeFile(folder + "/.saving", "saved " + name))
                    return;
                while (moving && ::access(folder + "/Kelo/" + name, F_OK) != 0)
                    std::this_thread::yield();
                saves += ::rename(folder + "/.saving", folder + '/' + name) == 0;
            }
        });
        QTemporaryDir state;
        auto pass = journaledMove(
            ListedFolder(decodeName(folder), std::nullopt), {{u"Kelo"_s}, files}, {}, state.path())
                        .pass;
        QVERIFY(pass->step(QDeadlineTimer::Forever, std::numeric_limits<qsizetype>::max()));
        moving = false;
        editor.join();
        QCOMPARE(saves, Songs);
        QCOMPARE(pass->summary().moved, Songs);

        QList<QByteArray> expected;
        for (const QString &file : std::as_const(files))
            expected << "saved " + file.toLatin1() << "song " + file.toLatin1();
        std::sort(expected.begin(), expected.end());
        QCOMPARE(sortedContents(filesUnder(folder)), expected);
    }

    // A move taken back where files are numbered afresh: on sshfs a file's new name, a hard
    // link, has a number of its own; an exFAT stick mounted again numbers every file anew. Two
    // files in artist folders are replaced meanwhile, one by a longer file, one by a file of
    // the same size and another time: those stay, everything else comes back.
    void undoWhereNumbersChange_data()
    {
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<bool>("remount");
        QTest::newRow("sshfs") << volume("SSHFS") << false;
        QTest::newRow("exFAT mounted again") << volume("EXFAT") << true;
    }

    void undoWhereNumbersChange()
    {
        QFETCH(QByteArray, root);
        QFETCH(bool, remount);
        const QByteArray folder = root + "/undo";
        // exfat-fuse numbers folders as it meets them: mounted again, the folder gets another.
        QCOMPARE(make(root, {"before/"}), QByteArray());
        QStringList files, artists {u"Ann"_s, u"Bo"_s};
        for (int k = 0; k < 40; ++k)
            files.append(u"%1 - song %2"_s.arg(artists.at(k % 2)).arg(k, 2, 10, QChar(u'0')));
        QCOMPARE(make(decodeName(folder), files), QByteArray());
        Files expected = filesUnder(folder);
        QTemporaryDir state;
        auto pass = journaledMove(
            ListedFolder(decodeName(folder), std::nullopt), {artists, files}, {}, state.path())
                        .pass;
        QVERIFY(pass->step(QDeadlineTimer::Forever, std::numeric_limits<qsizetype>::max()));
        QCOMPARE(pass->summary().moved, files.size());
        pass.reset();
        if (remount) {
            QCOMPARE(QProcess::execute(u"umount"_s, {decodeName(root)}), 0);
            QCOMPARE(QProcess::execute(u"mount.exfat-fuse"_s,
                         {decodeName(volume("EXFAT_DEVICE")), decodeName(root)}),
                0);
        }
        for (const QByteArray name : {"Ann - song 00", "Bo - song 01"}) {
            const bool longer = name.startsWith("Ann");
            const QByteArray path = folder + '/' + name.left(name.indexOf(' ')) + '/' + name;
            const QByteArray other = longer ? "longer than the song" : "Bo - song 99";
            struct stat song
            { };
            QCOMPARE(::lstat(path, &song), 0);
            QVERIFY(makeFile(folder + "/.new", other));
            QCOMPARE(::rename(folder + "/.new", path), 0);
            // Each differs from the song in one thing only. (exfat-fuse mishandles UTIME_OMIT.)
            const timespec time = longer ? song.st_mtim : timespec {1'000'000'000, 0};
            const timespec times[2] {time, time};
            QCOMPARE(::utimensat(AT_FDCWD, path, times, 0), 0);
            expected.erase(folder + '/' + name);
            expected[path] = other;
        }
        UndoPass undo(ListedFolder(decodeName(folder), std::nullopt), false, {}, state.path());
        QVERIFY(undo.step());
        QCOMPARE(undo.summary().moved, files.size() - 2);
        QCOMPARE(undo.summary().stayed.size(), 2);
        QCOMPARE(filesUnder(folder), expected);
    }

    // A move or undo killed on exFAT right after it reserved a name for a song leaves that empty
    // file. The next move or undo of the folder removes it; everything else is as it should be.
    void killedOnExfat_data()
    {
        QTest::addColumn<QByteArray>("killed");
        QTest::addColumn<QByteArray>("then");
        QTest::newRow("move, then a move") << "--move"_ba
                                           << "--move"_ba;
        QTest::newRow("move, then an undo") << "--move"_ba
                                            << "--undo"_ba;
        QTest::newRow("undo, then an undo") << "--undo"_ba
                                            << "--undo"_ba;
    }

    void killedOnExfat()
    {
        QFETCH(QByteArray, killed);
        QFETCH(QByteArray, then);
        const QByteArray folder = volume("EXFAT") + "/killed" + killed + then;
        QByteArrayList names;
        for (int k = 0; k < 20; ++k)
            names.append((k % 2 ? "Bo" : "Ann") + " - song "_ba + QByteArray::number(k));
        QCOMPARE(make(folder, names), QByteArray());
        const Files before = filesUnder(folder);
        const QTemporaryDir state;
        const auto arvelo = [&](const QByteArray &verb, QStringList environment) {
            return runArvelo({verb, folder}, environment << u"XDG_STATE_HOME="_s + state.path())
                .exitCode;
        };
        if (killed == "--undo")
            QCOMPARE(arvelo("--move", {}), 0);
        QCOMPARE(arvelo(killed,
                     {QString::fromUtf8("LD_PRELOAD=" ARVELO_SLOW_RENAME),
                         u"ARVELO_KILL_AT_RENAME=Bo - song 5"_s}),
            -1);
        const QByteArray reserved = killed == "--move" ? "/Bo/Bo - song 5" : "/Bo - song 5";
        const Files left = filesUnder(folder);
        QVERIFY2(left.count(folder + reserved), reserved.constData());
        QCOMPARE(left.at(folder + reserved), QByteArray());

        QCOMPARE(arvelo(then, {}), 0);
        const Files after = filesUnder(folder);
        QCOMPARE(sortedContents(after), sortedContents(before));
        if (then == "--undo")
            QCOMPARE(after, before);
    }

    // The same through the window, on exFAT.
    void throughTheWindow()
    {
        const QByteArray root = volume("EXFAT");
        QVERIFY(::mkdir(root + "/window", 0777) == 0);
        const QList<QByteArray> fixture = makeFixture(root + "/window");
        const Files before = filesUnder(root + "/window");

        Form1 &form = Form1::slot().show(decodeName(root + "/window"));
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QTRY_VERIFY(!Caut::slot().isOpen());
        QCOMPARE(form.List1->ListCount(), 20);
        MessageBoxAnswerer user;
        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QTRY_VERIFY(!Form2::slot().isOpen() && form.isVisible());
        QCOMPARE(user.texts, QStringList());
        QCOMPARE(form.File1->items(), QStringList {u"Solo - alone.mp3"_s});
        Form1::slot().unload();

        const Files after = filesUnder(root + "/window");
        QCOMPARE(sortedContents(after), sortedContents(before));
        for (const QByteArray &name : fixture) {
            if (!name.startsWith("Solo"))
                QVERIFY2(after.count(root + "/window/" + name) == 0, name);
        }
    }
};

QTEST_MAIN(TestFilesystems)
#include "tst_filesystems.moc"
