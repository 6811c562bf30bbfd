// The move on real folders while chosen system calls fail, or succeed and report failure, and
// while the folders change under it. Whatever happens, no file is lost or leaves the folder,
// and the pass's counts say what is on disk.
#include "core/ArtistFolders.h"
#include "core/FolderListing.h"
#include "core/ListedFolder.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "core/NameCodec.h"

#include "ByteTree.h"

#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
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

// What the test, or another program, does to the folders: between two steps of the pass,
// before the pass, or between two of its system calls on "Alpha - d".
enum class Meddle {
    None,
    SwapArtistFolder,
    SwapSelectedFolder,
    RemoveListedFile,
    // Before the pass, a link to ../outside stands where the artist folder should be, and the
    // look at it follows links, as if the link came between the look and the open.
    LinkedFolder,
    SwapSelectedBeforeMove,
    TakeNameWhenFree, // creates the target exclusively as soon as it is seen free
    ReplacePlaceholder, // renames its own file over the reserved name
    RenewOldName, // puts a new file under the old name once the link is made
    RenewOldNameTwice, // and again once the old name is put aside
    SaveBeforeUnlink, // saves over the old name, once linked, right before an unlink in sel
    Links, // a relative and an absolute link among the files
};

// The move's reasons, by their order in StayReason; the undo's and the journal's come after.
const QStringList reasonNames = u"taken notMade notAFolder unusable vanished refused twoNames "
                                u"readOnly linkBreaks keptAside"_s.split(u' ');

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

    // What each file and link below the root holds, each once however many names it has (all
    // on one volume, so the inode tells them apart).
    static QMultiHash<QByteArray, QByteArray> byContents(const QList<Entry> &all)
    {
        QHash<quint64, QByteArray> once;
        for (const Entry &e : all)
            if (e.held != "/")
                once.insert(e.inode, e.held);
        QMultiHash<QByteArray, QByteArray> result;
        for (auto it = once.cbegin(); it != once.cend(); ++it)
            result.insert(it.value(), {});
        return result;
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_root = QFile::encodeName(m_dir->path());
        QCOMPARE(make(m_root + "/sel", m_names), QByteArray());
        QCOMPARE(make(m_root, {"outside/"}), QByteArray());
        QVERIFY(makeFile(m_root + "/outside/Alpha - c", "outside"));
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
        row("old name not put aside: link undone", {noAtomicRename, refuse("rename", EACCES, 1)}, 6,
            u"refused", 4);
        row("unlinkat removes but says ENOENT", {noAtomicRename, lie("unlink", ENOENT)}, 7, u"", 4);
        row("unlinkat removes but says EIO", {noAtomicRename, lie("unlink", EIO)}, 7, u"", 4);
        row("not put aside, the undo removes but says EIO",
            {noAtomicRename, refuse("rename", EACCES, 1), lie("unlink", EIO, 1)}, 6, u"refused", 4);
        row("not put aside, nor undone: two names",
            {noAtomicRename, refuse("rename", EBUSY, 1), refuse("unlink", EBUSY, 1)}, 6,
            u"twoNames", 4);
        row("put aside, not unlinked: two names", {noAtomicRename, refuse("unlink", EBUSY, 1)}, 6,
            u"twoNames", 4);
        row("fstatat fails after the refused rename: two names",
            {noAtomicRename, refuse("rename", EACCES, 1), refuse("lstat", EIO, 4)}, 6, u"twoNames",
            4);
        row("mkdirat EACCES", {refuse("mkdir", EACCES)}, 0,
            u"notMade notMade notMade notMade notMade notMade notMade", 0);
        row("mkdirat ENOSPC once", {refuse("mkdir", ENOSPC, 2)}, 6, u"notMade", 3);
        row("artist folder swapped for a link", {}, 7, u"", 4, Meddle::SwapArtistFolder);
        row("selected folder swapped for a link", {}, 7, u"", 4, Meddle::SwapSelectedFolder);
        row("file removed after the listing", {}, 6, u"vanished", 4, Meddle::RemoveListedFile);
        row("artist folder a link from the start", {}, 5, u"refused refused", 3,
            Meddle::LinkedFolder);
        const Fault noHardLinks = refuse("link", EPERM);
        row("selected folder swapped for a link before the move", {}, 0, u"", 0,
            Meddle::SwapSelectedBeforeMove);
        row("no hard links: another program takes the free name", {noAtomicRename, noHardLinks}, 6,
            u"taken", 4, Meddle::TakeNameWhenFree);
        row("no hard links: another program replaces the placeholder",
            {noAtomicRename, noHardLinks}, 6, u"taken", 4, Meddle::ReplacePlaceholder);
        row("hard links: another program renews the old name", {noAtomicRename}, 7, u"", 4,
            Meddle::RenewOldName);
        row("hard links: the old name renewed twice", {noAtomicRename}, 7, u"keptAside", 4,
            Meddle::RenewOldNameTwice);
        row("hard links: a save over the old name after the look", {noAtomicRename}, 7, u"", 4,
            Meddle::SaveBeforeUnlink);
        // A call that does its work and reports failure all the same.
        row("renameat2 moves, says EIO", {lie("renameNoReplace", EIO, 1)}, 7, u"", 4);
        row("renameat2 moves, says EEXIST", {lie("renameNoReplace", EEXIST, 2)}, 7, u"", 4);
        row("renameat2 moves, says EPERM", {lie("renameNoReplace", EPERM, 3)}, 7, u"", 4);
        row("linkat links, says EIO", {noAtomicRename, lie("link", EIO, 1)}, 7, u"", 4);
        row("linkat links, says EEXIST", {noAtomicRename, lie("link", EEXIST, 2)}, 7, u"", 4);
        row("linkat links, says EPERM", {noAtomicRename, lie("link", EPERM, 3)}, 7, u"", 4);
        row("renameat over the placeholder moves, says EIO",
            {noAtomicRename, noHardLinks, lie("rename", EIO, 1)}, 7, u"", 4);
        row("read-only medium", {refuse("mkdir", EROFS, 2), refuse("renameNoReplace", EROFS)}, 0,
            u"readOnly readOnly readOnly readOnly readOnly readOnly readOnly", 3);
        // The relative one would point elsewhere one folder down; the absolute one moves.
        row("links", {}, 8, u"linkBreaks", 4, Meddle::Links);
    }

    void pass()
    {
        QFETCH(QList<Fault>, faults);
        QFETCH(Meddle, meddle);
        QFETCH(int, moved);
        QFETCH(QString, stayed);
        QFETCH(int, created);

        // Two links among the files, each to "Solo - x": one by a relative, one by an absolute
        // path.
        QList<QPair<QByteArray, QByteArray>> tracked; // name, what it holds
        for (const QByteArray &name : m_names)
            tracked.append({name, '=' + name});
        if (meddle == Meddle::Links) {
            for (const QByteArray &target : {QByteArray("Solo - x"), m_root + "/sel/Solo - x"}) {
                const QByteArray name = target.startsWith('/') ? "Zeta - abs" : "Zeta - rel";
                QCOMPARE(::symlink(target, m_root + "/sel/" + name), 0);
                tracked.append({name, '@' + target});
            }
        }
        QMultiHash<QByteArray, QByteArray> expected = byContents(entries(m_root));

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
        // Another program at work on the name "Alpha - d", once, in the artist folder "Alpha" or
        // on the old name.
        const QByteArray other = m_root + "/sel/Alpha/Alpha - d";
        // It saves as editors do: a new file written aside, then renamed over the old one.
        const auto save = [&](const QByteArray &path, const QByteArray &contents) {
            QVERIFY(makeFile(m_root + "/sel/.part", contents));
            QCOMPARE(::rename(m_root + "/sel/.part", path), 0);
            expected.insert('=' + contents, {});
        };
        const auto otherProgram = [&](Meddle when, int dir, const char *name,
                                      const QByteArray &in = "/sel/Alpha") {
            struct stat folder, alpha;
            if (meddle != when || (when != Meddle::SaveBeforeUnlink && qstrcmp(name, "Alpha - d"))
                || ::fstat(dir, &folder) != 0 || ::stat(m_root + in, &alpha) != 0
                || folder.st_ino != alpha.st_ino
                || (when == Meddle::SaveBeforeUnlink && ::access(other, F_OK) != 0))
                return;
            const int saved = errno;
            meddle = when == Meddle::RenewOldNameTwice ? Meddle::RenewOldName : Meddle::None;
            if (when == Meddle::ReplacePlaceholder)
                save(other, "other program");
            else if (when != Meddle::TakeNameWhenFree)
                save(m_root + "/sel/Alpha - d",
                    when == Meddle::SaveBeforeUnlink ? "saved"
                        : meddle == Meddle::None     ? "renewed"
                                                     : "renewed once");
            else if (makeFile(other, "other program"))
                expected.insert("=other program", {});
            errno = saved;
        };
        MoveSyscalls watched = real;
        watched.lstat = [&](int dir, const char *name, struct stat *info) {
            const int result = real.lstat(dir, name, info);
            if (result != 0 && errno == ENOENT)
                otherProgram(Meddle::TakeNameWhenFree, dir, name);
            return result;
        };
        watched.create = [&](int dir, const char *name) {
            const int result = real.create(dir, name);
            if (result >= 0) {
                otherProgram(Meddle::TakeNameWhenFree, dir, name);
                otherProgram(Meddle::ReplacePlaceholder, dir, name);
            }
            return result;
        };
        watched.link = [&](int fromDir, const char *from, int toDir, const char *to) {
            const int result = real.link(fromDir, from, toDir, to);
            if (result == 0) {
                otherProgram(Meddle::RenewOldName, toDir, to);
                otherProgram(Meddle::RenewOldNameTwice, toDir, to);
            }
            return result;
        };
        watched.rename = [&](int fromDir, const char *from, int toDir, const char *to) {
            const int result = real.rename(fromDir, from, toDir, to);
            otherProgram(Meddle::RenewOldName, fromDir, from, "/sel");
            return result;
        };
        watched.unlink = [&](int dir, const char *name) {
            otherProgram(Meddle::SaveBeforeUnlink, dir, name, "/sel");
            return real.unlink(dir, name);
        };
        MoveSyscalls calls {faulty(u"renameNoReplace"_s, real.renameNoReplace),
            faulty(u"link"_s, watched.link), faulty(u"unlink"_s, watched.unlink),
            faulty(u"lstat"_s, watched.lstat), faulty(u"rename"_s, watched.rename),
            faulty(u"mkdir"_s, real.mkdir), faulty(u"create"_s, watched.create)};
        if (meddle == Meddle::LinkedFolder) {
            QCOMPARE(::symlink("../outside", m_root + "/sel/Alpha"), 0);
            expected.insert("@../outside", {});
            calls.lstat = [](int dir, const char *name, struct stat *info) {
                return ::fstatat(dir, name, info, 0);
            };
        }

        const QString selected = decodeName(m_root + "/sel");
        const std::optional<ListedFiles> listed = listFiles(selected);
        QVERIFY(listed);
        const QStringList files = listed->names;
        QCOMPARE(files.size(), tracked.size());
        QStringList entries {u"Alpha"_s, escaped(u"Caf<e9>"_s), u"Zeta"_s, escaped(u"<ff><fe>"_s)};
        QByteArray selectedNow = m_root + "/sel";
        // Another program moves the selected folder away, and leaves a link in its place.
        const auto swapSelected = [&] {
            QCOMPARE(::rename(m_root + "/sel", m_root + "/moved"), 0);
            QCOMPARE(::symlink("outside", m_root + "/sel"), 0);
            expected.insert("@outside", {});
            selectedNow = m_root + "/moved";
        };
        if (meddle == Meddle::SwapSelectedBeforeMove)
            swapSelected();

        // As the program does: nothing at all in a folder that is not the one listed. Then one
        // file per step, so the folders can change between two of them.
        ListedFolder folder(selected, listed->folder);
        const bool changed = folder.changed();
        MovePass pass(std::make_unique<DiskFolders>(std::move(folder), calls), selected,
            {changed ? QStringList() : entries, files});
        while (!pass.step(QDeadlineTimer(QDeadlineTimer::Forever), 1)) {
            if (pass.filesHandled() != 1 || meddle == Meddle::None)
                continue;
            if (meddle == Meddle::SwapArtistFolder) {
                QCOMPARE(::rename(m_root + "/sel/Alpha", m_root + "/sel/Alpha.old"), 0);
                QCOMPARE(::symlink("../outside", m_root + "/sel/Alpha"), 0);
                expected.insert("@../outside", {});
            } else if (meddle == Meddle::SwapSelectedFolder) {
                swapSelected();
            } else if (meddle == Meddle::RemoveListedFile) {
                QCOMPARE(::unlink(m_root + "/sel/Zeta - b"), 0);
                expected.remove("=Zeta - b");
            } else {
                continue;
            }
            meddle = Meddle::None;
        }
        const MoveSummary &summary = pass.summary();

        QStringList reasons;
        for (const StayedFile &file : summary.stayed)
            reasons.append(reasonNames.value(int(file.reason), u"?"_s));
        QCOMPARE(reasons.join(u' '), stayed);
        QCOMPARE(int(summary.moved), moved);
        QCOMPARE(int(summary.foldersCreated), created);

        // Nothing lost or duplicated, nothing new outside, nothing under a new name outside the
        // selected folder.
        const QList<Entry> after = bytetree::entries(m_root);
        QCOMPARE(byContents(after), expected);
        QCOMPARE(tree(m_root + "/outside"), QByteArrayList {"Alpha - c=outside"});

        // The counts are what the disk shows: a moved file stands only in a sub-folder, a
        // file left under two names in both places, every other listed one where it was.
        const QByteArray below = selectedNow.sliced(m_root.size() + 1) + '/';
        int inSubOnly = 0, inBoth = 0, inPlaceOnly = 0;
        for (const auto &[name, data] : std::as_const(tracked)) {
            bool inPlace = false, inSub = false;
            for (const Entry &f : after) {
                if (f.held != data)
                    continue;
                // A second name in the selected folder may be a private one.
                (f.path.startsWith(below) && !f.path.sliced(below.size()).contains('/') ? inPlace
                                                                                        : inSub)
                    = true;
                QVERIFY(f.path.startsWith(below) || f.path.startsWith("moved/"));
            }
            inSubOnly += inSub && !inPlace;
            inBoth += inSub && inPlace;
            inPlaceOnly += inPlace && !inSub;
        }
        QCOMPARE(inSubOnly, int(summary.moved));
        QCOMPARE(inBoth, int(reasons.count(u"twoNames"_s)));
        // "Solo - x" belongs to no listed artist and stays without being counted; in a folder
        // that has changed, nothing is even looked at.
        QCOMPARE(inPlaceOnly - (changed ? int(tracked.size()) : 1),
            int(summary.stayed.size() - inBoth - reasons.count(u"vanished"_s)
                - reasons.count(u"keptAside"_s)));
        for (const StayedFile &file : summary.stayed) {
            struct stat info = {};
            if (file.reason == StayReason::KeptAside)
                QVERIFY(::lstat(encodeName(file.alsoAt).constData(), &info) == 0);
            if (file.reason == StayReason::LeftUnderTwoNames) {
                QVERIFY(::lstat(encodeName(file.alsoAt).constData(), &info) == 0);
                QVERIFY(::lstat(selectedNow + '/' + encodeName(file.file), &info) == 0);
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
