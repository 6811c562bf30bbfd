// The move on real folders while chosen system calls fail, or succeed and report failure, and
// while the folders change under it. Whatever happens, no file is lost or leaves the folder,
// and the pass's counts say what is on disk.
#include "core/ArtistFolders.h"
#include "core/FolderListing.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "core/NameCodec.h"

#include "ByteTree.h"

#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <dirent.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace arvelo;
using namespace bytetree;

namespace {

// One injected fault: the n-th call (1-based; 0 for every call) of a system call either fails
// without acting, or acts and then reports the error.
struct Fault
{
    QString call;
    int error = 0;
    bool acts = false;
    int nth = 0;
};

// What the test does to the folders between two steps of the pass.
// LinkedFolder: before the pass, a link to ../outside stands where the artist folder should be,
// and the look at it follows links, as if the link came between the look and the open.
enum class Meddle { None, SwapArtistFolder, SwapSelectedFolder, RemoveListedFile, LinkedFolder };

struct Found
{
    QByteArray path; // below the temporary root
    dev_t dev = 0;
    ino_t ino = 0;
};

// Every regular file under dir, byte for byte and without the code under test; links are
// not followed, so a file reached through one is not counted twice.
void walk(const QByteArray &dir, const QByteArray &below, QList<Found> &found)
{
    DIR *d = ::opendir(dir.constData());
    if (!d)
        return;
    while (const dirent *entry = ::readdir(d)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = dir + '/' + name;
        struct stat info
        { };
        if (::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            walk(path, below + name + '/', found);
        else if (S_ISREG(info.st_mode))
            found.append({below + name, info.st_dev, info.st_ino});
    }
    ::closedir(d);
}

QString reasonName(StayReason reason)
{
    switch (reason) {
    case StayReason::NameTaken:
        return u"taken"_s;
    case StayReason::FolderNotMade:
        return u"notMade"_s;
    case StayReason::NotAFolder:
        return u"notAFolder"_s;
    case StayReason::UnusableName:
        return u"unusable"_s;
    case StayReason::Vanished:
        return u"vanished"_s;
    case StayReason::Refused:
        return u"refused"_s;
    case StayReason::LeftUnderTwoNames:
        return u"twoNames"_s;
    }
    return u"?"_s;
}

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Meddle)

class TestFaults : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QByteArray m_root;

    // Each file holds its own name, so contents tell files apart.
    const QList<QByteArray> m_names {"Alpha - c", "Alpha - d", "Caf\xe9 - e", "Solo - x",
        "Zeta - a", "Zeta - b", "\xff\xfe - f", "\xff\xfe - g"};

    // Every file's contents, each file once however many names it has: (dev, ino) -> contents.
    QMultiHash<QByteArray, QByteArray> byContents(const QList<Found> &all) const
    {
        QHash<QPair<dev_t, ino_t>, QByteArray> once;
        for (const Found &f : all)
            once.insert({f.dev, f.ino}, contents(m_root + '/' + f.path));
        QMultiHash<QByteArray, QByteArray> result;
        for (auto it = once.cbegin(); it != once.cend(); ++it)
            result.insert(it.value(), {});
        return result;
    }

    QList<Found> everything() const
    {
        QList<Found> all;
        walk(m_root, {}, all);
        return all;
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_root = QFile::encodeName(m_dir->path());
        QCOMPARE(::mkdir(m_root + "/sel", 0777), 0);
        QCOMPARE(::mkdir(m_root + "/outside", 0777), 0);
        QVERIFY(makeFile(m_root + "/outside/Alpha - c", "outside"));
        for (const QByteArray &name : m_names)
            QVERIFY(makeFile(m_root + "/sel/" + name, name));
    }

    void cleanup()
    {
        removeTree(m_root);
        m_dir.reset();
    }

    void pass_data()
    {
        QTest::addColumn<QList<Fault>>("faults");
        QTest::addColumn<Meddle>("meddle");
        QTest::addColumn<int>("moved");
        QTest::addColumn<QString>("stayed"); // reasons in pass order
        QTest::addColumn<int>("created");

        const auto refuse = [](const char *call, int error, int nth = 0) {
            return Fault {QString::fromLatin1(call), error, false, nth};
        };
        const auto lie = [](const char *call, int error, int nth = 0) {
            return Fault {QString::fromLatin1(call), error, true, nth};
        };
        const auto row = [](const char *tag, QList<Fault> faults, int moved, QStringView stayed,
                             int created, Meddle meddle = Meddle::None) {
            QTest::newRow(tag) << faults << meddle << moved << stayed.toString() << created;
        };
        const Fault noAtomicRename = refuse("renameNoReplace", EINVAL);
        row("no faults", {}, 7, u"", 4);
        row("renameat2 EXDEV", {refuse("renameNoReplace", EXDEV)}, 0,
            u"refused refused refused refused refused refused refused", 4);
        row("renameat2 ENOSPC on the third", {refuse("renameNoReplace", ENOSPC, 3)}, 6, u"refused",
            4);
        row("renameat2 EIO", {refuse("renameNoReplace", EIO, 1)}, 6, u"refused", 4);
        row("renameat2 EINVAL: hard links", {noAtomicRename}, 7, u"", 4);
        row("linkat EPERM: look, then rename", {noAtomicRename, refuse("link", EPERM)}, 7, u"", 4);
        row("renameat EIO after the look",
            {noAtomicRename, refuse("link", EPERM), refuse("rename", EIO, 2)}, 6, u"refused", 4);
        row("unlinkat refuses once: link undone", {noAtomicRename, refuse("unlink", EACCES, 1)}, 6,
            u"refused", 4);
        row("unlinkat removes but says ENOENT", {noAtomicRename, lie("unlink", ENOENT)}, 7, u"", 4);
        row("unlinkat removes but says EIO", {noAtomicRename, lie("unlink", EIO)}, 7, u"", 4);
        row("unlinkat refuses, the undo removes but says EIO",
            {noAtomicRename, refuse("unlink", EACCES, 1), lie("unlink", EIO, 2)}, 6, u"refused", 4);
        row("unlinkat refuses always: two names",
            {noAtomicRename, refuse("unlink", EBUSY, 1), refuse("unlink", EBUSY, 2)}, 6,
            u"twoNames", 4);
        row("fstatat fails after the refused unlink: two names",
            {noAtomicRename, refuse("unlink", EACCES, 1), refuse("lstat", EIO, 0)}, 6, u"twoNames",
            4);
        row("mkdirat EACCES", {refuse("mkdir", EACCES)}, 0,
            u"notMade notMade notMade notMade notMade notMade notMade", 0);
        row("mkdirat ENOSPC once", {refuse("mkdir", ENOSPC, 2)}, 6, u"notMade", 3);
        row("artist folder swapped for a link", {}, 7, u"", 4, Meddle::SwapArtistFolder);
        row("selected folder swapped for a link", {}, 7, u"", 4, Meddle::SwapSelectedFolder);
        row("file removed after the listing", {}, 6, u"vanished", 4, Meddle::RemoveListedFile);
        row("artist folder a link from the start", {}, 5, u"refused refused", 3,
            Meddle::LinkedFolder);
    }

    void pass()
    {
        QFETCH(QList<Fault>, faults);
        QFETCH(Meddle, meddle);
        QFETCH(int, moved);
        QFETCH(QString, stayed);
        QFETCH(int, created);

        const QList<Found> before = everything();
        QMultiHash<QByteArray, QByteArray> expected = byContents(before);
        const QByteArray outsideBefore = contents(m_root + "/outside/Alpha - c");

        // The system calls with the faults of this row laid over them.
        QHash<QString, int> counts;
        const MoveSyscalls &real = MoveSyscalls::system();
        const auto faulty = [&](const QString &name, const auto &call) {
            return [&, name, call](auto... args) {
                const int n = ++counts[name];
                for (const Fault &fault : std::as_const(faults)) {
                    if (fault.call != name || (fault.nth != 0 && fault.nth != n))
                        continue;
                    if (fault.acts)
                        call(args...);
                    errno = fault.error;
                    return -1;
                }
                return call(args...);
            };
        };
        MoveSyscalls calls {faulty(u"renameNoReplace"_s, real.renameNoReplace),
            faulty(u"link"_s, real.link), faulty(u"unlink"_s, real.unlink),
            faulty(u"lstat"_s, real.lstat), faulty(u"rename"_s, real.rename),
            faulty(u"mkdir"_s, real.mkdir)};
        if (meddle == Meddle::LinkedFolder) {
            QCOMPARE(::symlink("../outside", m_root + "/sel/Alpha"), 0);
            calls.lstat = [](int dir, const char *name, struct stat *info) {
                return ::fstatat(dir, name, info, 0);
            };
        }

        const QString selected = decodeName(m_root + "/sel");
        const QStringList files = visibleFileNames(selected).value_or(QStringList());
        QCOMPARE(files.size(), m_names.size());
        QStringList entries {u"Alpha"_s, escaped(u"Caf<e9>"_s), u"Zeta"_s, escaped(u"<ff><fe>"_s)};

        // One file per step, so the folders can change between two of them.
        DiskFolders disk(calls);
        MovePass pass(disk, entries, selected, files, true);
        QByteArray selectedNow = m_root + "/sel";
        while (!pass.step(QDeadlineTimer(QDeadlineTimer::Forever), 1)) {
            if (pass.filesHandled() != 1 || meddle == Meddle::None)
                continue;
            if (meddle == Meddle::SwapArtistFolder) {
                QCOMPARE(::rename(m_root + "/sel/Alpha", m_root + "/sel/Alpha.old"), 0);
                QCOMPARE(::symlink("../outside", m_root + "/sel/Alpha"), 0);
            } else if (meddle == Meddle::SwapSelectedFolder) {
                QCOMPARE(::rename(m_root + "/sel", m_root + "/moved"), 0);
                QCOMPARE(::symlink("outside", m_root + "/sel"), 0);
                selectedNow = m_root + "/moved";
            } else if (meddle == Meddle::RemoveListedFile) {
                QCOMPARE(::unlink(m_root + "/sel/Zeta - b"), 0);
                expected.remove("Zeta - b");
            }
            meddle = Meddle::None;
        }
        const MoveSummary &summary = pass.summary();

        QStringList reasons;
        for (const StayedFile &file : summary.stayed)
            reasons.append(reasonName(file.reason));
        QCOMPARE(reasons.join(u' '), stayed);
        QCOMPARE(int(summary.moved), moved);
        QCOMPARE(int(summary.foldersCreated), created);

        // Nothing lost or duplicated, nothing new outside, nothing under a new name outside the
        // selected folder.
        const QList<Found> after = everything();
        QCOMPARE(byContents(after), expected);
        QCOMPARE(contents(m_root + "/outside/Alpha - c"), outsideBefore);
        DIR *outside = ::opendir(m_root + "/outside");
        QVERIFY(outside);
        QList<QByteArray> outsideNames;
        while (const dirent *entry = ::readdir(outside))
            outsideNames.append(entry->d_name);
        ::closedir(outside);
        std::sort(outsideNames.begin(), outsideNames.end());
        QCOMPARE(outsideNames, QList<QByteArray>({".", "..", "Alpha - c"}));

        // The counts are what the disk shows: a moved file stands only in a sub-folder, a
        // file left under two names in both places, every other listed one where it was.
        const QByteArray below = selectedNow.sliced(m_root.size() + 1) + '/';
        int inSubOnly = 0, inBoth = 0, inPlaceOnly = 0;
        for (const QByteArray &name : m_names) {
            bool inPlace = false, inSub = false;
            for (const Found &f : after) {
                if (contents(m_root + '/' + f.path) != name)
                    continue;
                (f.path == below + name ? inPlace : inSub) = true;
                QVERIFY(f.path.startsWith(below) || f.path.startsWith("moved/"));
            }
            inSubOnly += inSub && !inPlace;
            inBoth += inSub && inPlace;
            inPlaceOnly += inPlace && !inSub;
        }
        QCOMPARE(inSubOnly, int(summary.moved));
        QCOMPARE(inBoth, int(reasons.count(u"twoNames"_s)));
        // "Solo - x" belongs to no listed artist and stays without being counted.
        QCOMPARE(
            inPlaceOnly - 1, int(summary.stayed.size() - inBoth - reasons.count(u"vanished"_s)));
        for (const StayedFile &file : summary.stayed) {
            if (file.reason == StayReason::LeftUnderTwoNames) {
                struct stat info
                { };
                QVERIFY(::lstat(encodeName(file.alsoAt).constData(), &info) == 0);
                // The user is told how many, and both names.
                const QString report = moveReport(summary);
                QVERIFY(report.contains(u"The move could not be finished nor undone, so the file "
                                        u"now has two names: 1\n"_s));
                QVERIFY(report.contains(
                    u"%1 is also at %2"_s.arg(displayName(file.file), displayName(file.alsoAt))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
