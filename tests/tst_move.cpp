#include "ByteTree.h"
#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/MovePass.h"
#include "core/MoveReport.h"
#include "core/Passes.h"
#include "core/UndoPass.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace arvelo;

class TestMove : public QObject
{
    Q_OBJECT

    // Every entry under dir, sorted: "folder/", "link@", "file" when it holds its own name, else
    // "file=contents".
    static QStringList listing(const QString &dir)
    {
        QStringList all;
        for (const bytetree::Entry &entry : bytetree::entries(QFile::encodeName(dir))) {
            const QString path = QFile::decodeName(entry.path),
                          held = QString::fromUtf8(entry.held);
            all.append(held == u'=' + path.section(u'/', -1)
                    ? path
                    : path + (held.startsWith(u'=') ? held : held.left(1)));
        }
        all.sort();
        return all;
    }

    // A system call that the system refuses for the entry named, and makes for any other.
    static auto refusing(const auto &real, const QString &refusedName)
    {
        return [real, name = refusedName.toUtf8()](int dir, const char *entry, auto... rest) {
            return name == entry ? (errno = EACCES, -1) : real(dir, entry, rest...);
        };
    }

    // A move of files in folder, as the window makes it, on the real file system except that one
    // folder cannot be created (as on a read-only medium) and the system may refuse to move one
    // file; with a journal when asked.
    MovePass movePass(const QString &folder, const QStringList &entries, const QStringList &files,
        bool beautify = true, bool journal = false, const QString &refused = {},
        const QString &refusedMove = {})
    {
        MoveSyscalls calls = MoveSyscalls::system();
        calls.mkdir = refusing(calls.mkdir, refused);
        calls.renameNoReplace = refusing(calls.renameNoReplace, refusedMove);
        return MovePass(std::make_unique<DiskFolders>(ListedFolder(folder, std::nullopt), calls),
            folder, {entries, files, beautify}, {},
            journal ? std::make_unique<Journal>(
                folder, ListedFolder(folder, std::nullopt).id(), m_state->path())
                    : nullptr);
    }
    // The same move, made in one go.
    MoveSummary moveAll(
        const QString &folder, const QStringList &entries, const QStringList &files, auto... rest)
    {
        MovePass pass = movePass(folder, entries, files, rest...);
        pass.step();
        return pass.summary();
    }
    // The journal tests' move: the files named are made in folder (below the root) unless there,
    // and moved into "Zeta" with a journal. Returns how many moved.
    qsizetype moveToZeta(const QString &folder, const QStringList &files)
    {
        for (const QString &file : files) {
            if (!QFileInfo::exists(m_dir->filePath(folder + u'/' + file)))
                makeAll({folder + u'/' + file});
        }
        return moveAll(m_dir->filePath(folder), {u"Zeta"_s}, files, true, true).moved;
    }
    UndoPass undoPass(const QString &folder) const
    {
        return UndoPass(ListedFolder(folder, std::nullopt), false, {}, m_state->path());
    }

    std::optional<QTemporaryDir> m_dir;
    QStringList m_before;
    // Journals go here, apart from the folders whose every entry is checked.
    std::optional<QTemporaryDir> m_state;

    QString selected() const { return m_dir->path() + u"/sel"_s; }

    // "device inode" of a path, as a journal writes it.
    static QByteArray identity(const QString &path)
    {
        struct stat info = {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            return "0 0";
        return QByteArray::number(quint64(info.st_dev)) + ' ' + QByteArray::number(info.st_ino);
    }

    // Each file (or stay) as "name reason".
    static QStringList stays(const MoveSummary &summary)
    {
        QStringList lines;
        for (const StayedFile &stayed : summary.stayed)
            lines.append(stayed.file + u' ' + QString::number(int(stayed.reason)));
        return lines;
    }
    // The counts, then the stays.
    static QStringList outcome(const MoveSummary &summary)
    {
        return QStringList {
                   u"moved %1, created %2"_s.arg(summary.moved).arg(summary.foldersCreated)}
        + stays(summary);
    }

    // What a row names: "sel/..." entries are only made; every other name is a file handed to
    // the pass, made in "sel" when plain, unless it ends in "!" (listed, gone before the move).
    void makeFiles(QStringList &files)
    {
        QStringList made = files.filter(QRegularExpression(u"^sel/"_s));
        files.removeIf([](const QString &file) { return file.startsWith(u"sel/"_s); });
        for (QString &file : files) {
            if (file.endsWith(u'!'))
                file.chop(1);
            else if (isPlainEntryName(file))
                made.append(u"sel/"_s + file);
        }
        makeAll(made);
    }

    void makeAll(const QStringList &entries)
    {
        // Entries as bytetree::make takes them; a file in "sel" holds its path below it, any other
        // its path below the root.
        for (const QString &entry : entries) {
            const bool inSel = entry.startsWith(u"sel/"_s);
            QCOMPARE(bytetree::make(inSel ? selected() : m_dir->path(), {entry.mid(inSel ? 4 : 0)}),
                QByteArray());
        }
        m_before = listing(m_dir->path());
    }

private slots:
    void init()
    {
        m_dir.emplace();
        m_state.emplace();
        QVERIFY(m_dir->isValid() && m_state->isValid());
        // Neighbours of the selected folder that nothing may touch.
        makeAll({u"sel/"_s, u"outside/"_s, u"outside/Zeta - in"_s, u"Zeta - beside"_s});
    }

    // Whatever a test did, every file still exists with its contents, and nothing outside changed.
    void cleanup()
    {
        const auto kept = [](QStringList all) {
            QStringList contents;
            for (const QString &f : all.filter(QRegularExpression(u"[^/@]$"_s)))
                contents.append(f.contains(u'=') ? f.section(u'=', 1) : f.section(u'/', -1));
            contents.sort();
            return contents + all.filter(QRegularExpression(u"^(?!sel/)"_s));
        };
        QCOMPARE(kept(listing(m_dir->path())), kept(m_before));
    }

    void pass_data()
    {
        // Lists are written joined by ", ".
        QTest::addColumn<QStringList>("entries");
        // Names handed to the pass, made in "sel" when plain; "sel/..." ones are only made.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("beautify");
        QTest::addColumn<QString>("after"); // inside "sel"
        QTest::addColumn<QList<qsizetype>>("counts"); // moved, failed, created
        QTest::addColumn<QString>("refused"); // a folder that cannot be created

        const auto row = [](const char *tag, QStringView entries, QStringView files, bool beautify,
                             QStringView after, QList<qsizetype> counts, QStringView refused = {}) {
            QTest::newRow(tag) << entries.toString().split(u", "_s)
                               << files.toString().split(u", "_s) << beautify << after.toString()
                               << counts << refused.toString();
        };
        row("beautified folder name", u"Zeta X", u" zeta  x - 1, ZETA  X - 2", true,
            u"Zeta X/, Zeta X/ zeta  x - 1, Zeta X/ZETA  X - 2", {2, 0, 1});
        row("first file names the folder", u"Zeta X", u" zeta  x - 1, ZETA  X - 2", false,
            u"zeta  x/, zeta  x/ zeta  x - 1, zeta  x/ZETA  X - 2", {2, 0, 1});
        row("existing folder in another case", u"Zeta", u"Zeta - a, sel/ZETA/", true,
            u"ZETA/, ZETA/Zeta - a", {1, 0, 0});
        row("folder in decomposed form", u"C\u00e9line", u"C\u00e9line - a, sel/CE\u0301LINE/",
            true, u"CE\u0301LINE/, CE\u0301LINE/C\u00e9line - a", {1, 0, 0});
        // Two entries, one folder: the second finds the folder the pass made for the first.
        row("folder made by the pass, in another form", u"C\u00e9line, Ce\u0301line",
            u"C\u00e9line - a, Ce\u0301line - b", true,
            u"C\u00e9line/, C\u00e9line/Ce\u0301line - b, C\u00e9line/C\u00e9line - a", {2, 0, 1});
        row("file already in the folder stays", u"Zeta",
            u"Zeta - a, Zeta - b, sel/Zeta/, sel/Zeta/Zeta - a", true,
            u"Zeta - a, Zeta/, Zeta/Zeta - a=Zeta/Zeta - a, Zeta/Zeta - b", {1, 1, 0});
        row("folder that cannot be created", u"Zeta, Alpha", u"Zeta - a, Alpha - b, Zeta - c", true,
            u"Alpha/, Alpha/Alpha - b, Zeta - a, Zeta - c", {1, 2, 1}, u"Zeta");
        row("parent folder as artist", u"..", u" .. - a", false, u" .. - a", {0, 1, 0});
        row("hidden folder as artist", u".x", u" .x - a", false, u" .x - a", {0, 1, 0});
        row("empty entry", u", Zeta", u"- a,   - b, Zeta - c", false,
            u"  - b, - a, Zeta/, Zeta/Zeta - c", {1, 2, 1});
        row("file in another case where the folder should be", u"Zeta", u"Zeta - a, sel/zeta", true,
            u"Zeta - a, zeta", {0, 1, 0});
        row("file and folder in other cases", u"Zeta", u"Zeta - a, sel/ZETA, sel/zeta/", true,
            u"ZETA, zeta/, zeta/Zeta - a", {1, 0, 0});
        row("link where the folder should be", u"Zeta", u"Zeta - a, sel/Zeta@../outside", true,
            u"Zeta - a, Zeta@", {0, 1, 0});
        // An entry no file matches gets no folder; one listed twice finds its files handled.
        row("entry without files, entry twice", u"Omega, Zeta, Zeta", u"Other - a, Zeta - b", true,
            u"Other - a, Zeta/, Zeta/Zeta - b", {1, 0, 1});
        // Beautified, each word's first letter takes a byte more: 64 words make a folder name of
        // 255 bytes, which is made; one letter more is too long, although the name as written
        // (192 bytes) fits and is there.
        const QString turned = QStringList(64, u"\u0250"_s).join(u' ');
        const QString upright = QStringList(64, u"\u2c6f"_s).join(u' ');
        row("folder name too long", upright + u'a', turned + u"a - 1, "_s + turned + u"a - 2"_s,
            true, turned + u"a - 1, "_s + turned + u"a - 2"_s, {0, 2, 0});
        row("255 bytes made, 256 too long with the folded form there",
            upright + u", "_s + upright + u'a',
            turned + u" - 1, "_s + turned + u"a - 2, sel/"_s + turned + u"a/"_s, true,
            turned + u"a - 2, "_s + turned + u"a/, "_s + upright + u"/, "_s + upright + u'/'
                + turned + u" - 1"_s,
            {1, 1, 1});
        // Joined naively, this name would pull a file from outside into the selected folder.
        row("listed name with a separator", u"Zeta",
            u"Zeta - x/../../Zeta - beside, sel/Zeta - x/, sel/Zeta/Zeta - x/", true,
            u"Zeta - x/, Zeta/, Zeta/Zeta - x/", {0, 1, 0});
    }

    void pass()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, files);
        QFETCH(bool, beautify);
        QFETCH(QString, after);
        QFETCH(QList<qsizetype>, counts);
        QFETCH(QString, refused);

        makeFiles(files);
        // The plan, made first, foresees the move (but for a folder refused behind its back).
        MovePass plan(std::make_unique<PlannedFolders>(ListedFolder(selected(), std::nullopt)),
            selected(), {entries, files, beautify});
        plan.step();
        bool planned = refused.isEmpty();
        // Pressed again with the listing now stale: nothing changes and every file still counts.
        for (const QList<qsizetype> &expected : {counts, {0, counts[0] + counts[1], 0}}) {
            const MoveSummary done = moveAll(selected(), entries, files, beautify, false, refused);
            QCOMPARE(listing(selected()).join(u", "_s), after);
            QCOMPARE(
                QList<qsizetype>({done.moved, done.stayed.size(), done.foldersCreated}), expected);
            if (std::exchange(planned, false))
                QCOMPARE(outcome(plan.summary()), outcome(done));
        }
    }

    // A folder the user opened through a link is worked in where the link leads.
    void selectedFolderReachedThroughALink()
    {
        makeAll(
            {u"sel/real/"_s, u"sel/real/Zeta - a"_s, u"sel/real/Zeta - b"_s, u"sel/linked@real"_s});
        const MoveSummary done
            = moveAll(selected() + u"/linked"_s, {u"Zeta"_s}, {u"Zeta - a"_s, u"Zeta - b"_s});
        QCOMPARE(done.moved, 2);
        QVERIFY(done.stayed.isEmpty());
        QCOMPARE(listing(selected() + u"/real"_s).join(u", "_s),
            u"Zeta/, Zeta/Zeta - a=real/Zeta - a, Zeta/Zeta - b=real/Zeta - b"_s);
    }

    // However the pass is sliced, and whether it keeps a journal, it makes the same moves with
    // the same results as in one go.
    void steppedPassMatchesOneCall_data()
    {
        QTest::addColumn<qsizetype>("slice"); // files a step may handle; 0 for no limit
        QTest::addColumn<bool>("beautify");
        QTest::addColumn<bool>("journal");
        for (const qsizetype slice : {1, 7, 0}) {
            for (const bool beautify : {true, false}) {
                for (const bool journal : {false, true})
                    QTest::addRow(
                        "slice %lld, beautify %d, journal %d", qint64(slice), beautify, journal)
                        << slice << beautify << journal;
            }
        }
    }

    void steppedPassMatchesOneCall()
    {
        QFETCH(qsizetype, slice);
        QFETCH(bool, beautify);
        QFETCH(bool, journal);
        // Every way to stay: a name taken, a folder refused, a file where the folder should
        // be, an unusable name, a listed file that has gone; two artists sharing the folder
        // that the first makes; and enough files to slice.
        QStringList files {u"Zeta - 1"_s, u"zeta  - 2"_s, u"ZETA - 3"_s, u"Kelo - a"_s,
            u"Kelo - b"_s, u"Mira - x"_s, u"Refused - y"_s, u" .. - z"_s, u"Gone - g"_s,
            u"Gone - h"_s, u"Other - o"_s, u"C\u00e9line - c"_s, u"Ce\u0301line - d"_s};
        for (int n = 0; n < 30; ++n)
            files.append(u"Many - %1"_s.arg(n, 2, 10, QChar(u'0')));
        const QStringList entries {u"Zeta"_s, u"Kelo"_s, u"Mira"_s, u"Refused"_s, u".."_s,
            u"Gone"_s, u"C\u00e9line"_s, u"Ce\u0301line"_s, u"Many"_s, u"Zeta"_s};
        QStringList made;
        for (const QString &side : {u"one"_s, u"two"_s}) {
            made << u"sel/%1/Kelo/"_s.arg(side) << u"sel/%1/Kelo/Kelo - a"_s.arg(side)
                 << u"sel/%1/Mira"_s.arg(side);
            for (const QString &file : files)
                if (file != u"Gone - g"_s)
                    made.append(u"sel/%1/%2"_s.arg(side, file));
        }
        makeAll(made);

        const MoveSummary once
            = moveAll(selected() + u"/one"_s, entries, files, beautify, false, u"Refused"_s);
        MovePass pass
            = movePass(selected() + u"/two"_s, entries, files, beautify, journal, u"Refused"_s);
        int steps = 1;
        while (!pass.step(QDeadlineTimer(QDeadlineTimer::Forever),
            slice ? slice : std::numeric_limits<qsizetype>::max()))
            ++steps;
        QVERIFY(slice == 0 ? steps == 1 : steps >= files.size() / slice);

        QCOMPARE(outcome(pass.summary()), outcome(once));
        QCOMPARE(pass.filesToMove(), once.moved + once.stayed.size());
        QCOMPARE(pass.filesHandled(), pass.filesToMove());
        // Each way to stay was met, and the files of the unlisted artist were left out.
        QCOMPARE(once.stayed.size(), 5);
        QCOMPARE(once.moved, 3 + 1 + 1 + 2 + 30);
        QStringList first = listing(selected() + u"/one"_s);
        first.replaceInStrings(u"=one/"_s, u"=two/"_s);
        QCOMPARE(listing(selected() + u"/two"_s), first);
    }

    void report_data()
    {
        QTest::addColumn<QStringList>("entries");
        // As in pass(); a name ending in "!" is listed but gone from the disk before the move.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("refused"); // a folder that cannot be created
        QTest::addColumn<QString>("refusedMove"); // a file the system will not move
        QTest::addColumn<QString>("report");

        const auto row = [](const char *tag, QStringView entries, QStringView files,
                             QStringView refused, QStringView refusedMove, QStringView report) {
            QTest::newRow(tag) << entries.toString().split(u", "_s)
                               << files.toString().split(u", "_s) << refused.toString()
                               << refusedMove.toString() << report.toString();
        };
        // Struck or unlisted artists' files stay by choice, not by failure.
        row("every listed file moved", u"Zeta", u"Zeta - a, zeta - b, Other - c", {}, {}, {});
        row("each reason", u"Alpha, Kelo, Mira, Solo, Zeta, ..",
            u"Zeta - a, Zeta - b, sel/Zeta/, sel/Zeta/Zeta - a, Alpha - c, Alpha - d, sel/Kelo, "
            u"Kelo - e, Mira - f!, Mira - g, Solo - h,  .. - i",
            u"Alpha", u"Solo - h",
            u"7 files stayed where they were.\n\n"
            u"A file of that name is already in the artist's folder: 1\n"
            u"The artist's folder could not be created: 2\n"
            u"A file or link stands where the artist's folder should be: 1\n"
            u"The name cannot be used inside the selected folder: 1\n"
            u"The file was no longer there: 1\n"
            u"The system refused to move the file: 1\n\n"
            u"Alpha - c\nAlpha - d\nKelo - e\nMira - f\nSolo - h\nZeta - a\n .. - i"_s);
        row("one file", u"Zeta", u"Zeta - a, sel/Zeta", {}, {},
            u"1 file stayed where it was.\n\n"
            u"A file or link stands where the artist's folder should be: 1\n\nZeta - a");
        // Ten are named; from the eleventh on they are only counted.
        for (const auto &[n, more] : {std::pair {10, u""_s}, std::pair {11, u"\nand 1 more"_s}}) {
            QStringList zetas;
            for (int i = 1; i <= n; ++i)
                zetas.append(u"Zeta - %1"_s.arg(i, 2, 10, QChar(u'0')));
            row(n == 10 ? "ten named" : "eleven, ten named", u"Zeta", zetas.join(u", "_s), u"Zeta",
                {},
                u"%1 files stayed where they were.\n\nThe artist's folder could not be created: %1"
                u"\n\n"_s.arg(n)
                    + zetas.first(10).join(u'\n') + more);
        }
    }

    void report()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, files);
        QFETCH(QString, refused);
        QFETCH(QString, refusedMove);
        QFETCH(QString, report);

        makeFiles(files);
        QCOMPARE(moveReport(moveAll(selected(), entries, files, true, false, refused, refusedMove)),
            report);
    }

    void undo_data()
    {
        QTest::addColumn<QStringList>("files"); // as in pass()
        QTest::addColumn<QStringList>("passes"); // the entries of each pass, joined by ", "
        // After the passes: "a>b" renames sel/a to sel/b, "+a" makes a new file sel/a.
        QTest::addColumn<QStringList>("meddling");
        QTest::addColumn<QStringList>("undos"); // what "sel" holds after each undo, in turn
        QTest::addColumn<QStringList>("stayed"); // what the undos reported, "file reason"

        const auto row = [](const char *tag, QStringView files, QStringList passes,
                             QStringList meddling, QStringList undos, QStringList stayed = {}) {
            QTest::newRow(tag) << files.toString().split(u", "_s) << passes << meddling << undos
                               << stayed;
        };
        const QString all = u"Kelo - c, Solo - d, Zeta - a, Zeta - b"_s;
        const QString files = u"Zeta - a, Zeta - b, Kelo - c, Solo - d"_s;
        row("clean move", files, {u"Zeta, Kelo"_s}, {}, {all});
        // The file that stayed at the move stays silently; a folder the pass found stays.
        row("files left behind", u"Zeta - a, Zeta - b, sel/Zeta/, sel/Zeta/Zeta - a", {u"Zeta"_s},
            {}, {u"Zeta - a, Zeta - b, Zeta/, Zeta/Zeta - a=Zeta/Zeta - a"_s});
        row("moved file renamed since", files, {u"Zeta, Kelo"_s}, {u"Zeta/Zeta - b>Zeta/b2"_s},
            {u"Kelo - c, Solo - d, Zeta - a, Zeta/, Zeta/b2=Zeta - b"_s},
            {u"Zeta/Zeta - b %1"_s.arg(int(StayReason::NotInArtistFolder))});
        row("new file under an old name", files, {u"Zeta, Kelo"_s}, {u"+Zeta - a"_s},
            {u"Kelo - c, Solo - d, Zeta - a=new, Zeta - b, Zeta/, Zeta/Zeta - a"_s},
            {u"Zeta/Zeta - a %1"_s.arg(int(StayReason::TakenInFolder))});
        row("another file under the moved name", files, {u"Zeta, Kelo"_s},
            {u"Zeta/Zeta - a>Zeta/a2"_s, u"+Zeta/Zeta - a"_s},
            {u"Kelo - c, Solo - d, Zeta - b, Zeta/, Zeta/Zeta - a=new, Zeta/a2=Zeta - a"_s},
            {u"Zeta/Zeta - a %1"_s.arg(int(StayReason::OtherFileNow))});
        row("file added to a made folder", files, {u"Zeta, Kelo"_s}, {u"+Zeta/extra"_s},
            {all + u", Zeta/, Zeta/extra=new"_s});
        row("two passes, newest first", files, {u"Zeta"_s, u"Kelo"_s}, {},
            {u"Kelo - c, Solo - d, Zeta/, Zeta/Zeta - a, Zeta/Zeta - b"_s, all});
    }

    // Every case checks the disk: cleanup() finds the same contents, and every file is back
    // where it was except those reported.
    void undo()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, passes);
        QFETCH(QStringList, meddling);
        QFETCH(QStringList, undos);
        QFETCH(QStringList, stayed);

        makeFiles(files);
        for (const QString &entries : std::as_const(passes))
            QVERIFY(moveAll(selected(), entries.split(u", "_s), files, true, true).moved > 0);
        // A finished pass leaves its records, without the zeros written ahead of them.
        for (const QString &name : QDir(m_state->path()).entryList(QDir::Files)) {
            QFile written(m_state->filePath(name));
            QVERIFY(written.open(QIODevice::ReadOnly) && !written.readAll().contains('\0'));
        }
        for (const QString &step : std::as_const(meddling)) {
            const QString at = selected() + u'/' + step.section(u'>', 0, 0);
            if (step.startsWith(u'+'))
                QVERIFY(
                    bytetree::makeFile(QFile::encodeName(selected() + u'/' + step.mid(1)), "new"));
            else
                QVERIFY(QFile::rename(at, selected() + u'/' + step.section(u'>', 1)));
        }
        m_before = listing(m_dir->path());

        QStringList reported;
        for (const QString &after : std::as_const(undos)) {
            UndoPass undo = undoPass(selected());
            QVERIFY(undo.found() && undo.step());
            reported += stays(undo.summary());
            QCOMPARE(listing(selected()).join(u", "_s), after);
        }
        QCOMPARE(reported, stayed);
        // A file kept out by a name taken is still in its artist folder: its pass stays open.
        const QString taken = u" %1"_s.arg(int(StayReason::TakenInFolder));
        QCOMPARE(undoPass(selected()).found(), !reported.filter(taken).isEmpty());
    }

    // Each folder keeps the journals of its last passes, and another folder's are not counted.
    void keepsTheLastPasses()
    {
        makeAll({u"sel/a/Zeta/Zeta - x"_s, u"sel/a/Zeta - x"_s});
        QCOMPARE(moveToZeta(u"sel/b"_s, {u"Zeta - b"_s}), 1);
        for (int pass = 0; pass <= KeptPasses; ++pass)
            QCOMPARE(moveToZeta(u"sel/a"_s, {u"Zeta - %1"_s.arg(pass)}), 1);
        // Passes that change nothing push none of those out.
        for (int pass = 0; pass < KeptPasses; ++pass)
            QCOMPARE(moveToZeta(u"sel/a"_s, {u"Zeta - x"_s}), 0);
        QCOMPARE(QDir(m_state->path()).entryList(QDir::Files).size(), KeptPasses + 1);
        for (int pass = KeptPasses; pass > 0; --pass)
            QVERIFY(undoPass(selected() + u"/a"_s).step());
        // The oldest pass is gone; its file stays in the artist folder, nothing is lost.
        QVERIFY(!undoPass(selected() + u"/a"_s).found());
        QCOMPARE(QDir(selected() + u"/a/Zeta"_s).entryList(QDir::Files),
            QStringList({u"Zeta - 0"_s, u"Zeta - x"_s}));
        QVERIFY(undoPass(selected() + u"/b"_s).found());
    }

    // An undo that could not take every file back leaves its pass open, and the next one takes
    // back what is left; one that cannot mark its journal says so. Passes with nothing left
    // are passed over, and a dry run changes no journal doing so.
    void undoKeepsThePassUntilAllIsBack()
    {
        QCOMPARE(moveToZeta(u"sel"_s, {u"Zeta - a"_s, u"Zeta - b"_s}), 2);
        MoveSyscalls failing = MoveSyscalls::system();
        failing.renameNoReplace = refusing(failing.renameNoReplace, u"Zeta - a"_s);
        {
            UndoPass first(
                ListedFolder(selected(), std::nullopt), false, {}, m_state->path(), failing);
            QVERIFY(first.step());
            QCOMPARE(stays(first.summary()),
                QStringList {u"Zeta/Zeta - a %1"_s.arg(int(StayReason::Refused))});
        }

        QString journal;
        {
            UndoPass second = undoPass(selected());
            QVERIFY(second.found());
            // The journal cannot be marked: a link stands at its name.
            journal = m_state->filePath(second.journalName());
            QVERIFY(QFile::rename(journal, journal + u".kept"_s)
                && QFile::link(journal + u".kept"_s, journal));
            QVERIFY(second.step());
            QCOMPARE(second.summary().moved, 1);
            QVERIFY(moveReport(second.summary()).contains(u"could not be updated"_s));
            QVERIFY(QFile::remove(journal) && QFile::rename(journal + u".kept"_s, journal));
        }
        QCOMPARE(listing(selected()).join(u", "_s), u"Zeta - a, Zeta - b"_s);

        const auto text = [&] {
            QFile file(journal);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = text();
        QVERIFY(!nextUndo(selected(), true, {}, m_state->path())->found());
        QCOMPARE(text(), before);
        QVERIFY(!nextUndo(selected(), false, {}, m_state->path())->found());
        QVERIFY(text().endsWith("undone\n"));
    }

    // Only the user's own journals, in a folder private to the user, are used: another user's
    // journal is not taken back, and where others could write none is written.
    void journalsAreTheUsersOwn()
    {
        if (::geteuid() != 0)
            QSKIP("giving a journal to another user needs root");
        QCOMPARE(moveToZeta(u"sel"_s, {u"Zeta - a"_s}), 1);
        const QByteArray journal = QFile::encodeName(
            m_state->filePath(QDir(m_state->path()).entryList(QDir::Files).first()));
        QCOMPARE(::chown(journal.constData(), 4321, 4321), 0);
        QVERIFY(!undoPass(selected()).found());
        QCOMPARE(::chown(journal.constData(), 0, 0), 0);
        QVERIFY(undoPass(selected()).found() && !stateFolderProblem(m_state->path()));

        QCOMPARE(::chmod(QFile::encodeName(m_state->path()).constData(), 0755), 0);
        QVERIFY(stateFolderProblem(m_state->path()));
        QVERIFY(!undoPass(selected()).found());
        QCOMPARE(
            journaledMove(ListedFolder(selected(), std::nullopt), {}, {}, m_state->path()).refusal,
            stateFolderProblem(m_state->path()));
        QCOMPARE(moveToZeta(u"sel"_s, {u"Zeta - b"_s}), 0);
        QCOMPARE(QDir(m_state->path()).entryList({u"*.journal"_s}, QDir::Files).size(), 1);
    }

    // While one pass holds a folder, another is refused, be it a move or an undo.
    void onePassAtATime()
    {
        QCOMPARE(moveToZeta(u"sel"_s, {u"Zeta - a"_s}), 1);
        const auto held = lockPasses(m_state->path(), ListedFolder(selected(), std::nullopt).id());
        QVERIFY(held && held->isOpen());
        QVERIFY(!journaledMove(
            ListedFolder(selected(), std::nullopt), {{u"Zeta"_s}, {}}, {}, m_state->path())
                     .pass);
        QVERIFY(undoPass(selected()).busy());
    }

    // Any folder that can be moved in can be undone, however long its path.
    void deepFolderIsUndone()
    {
        QString deep = selected();
        while (QFile::encodeName(deep).size() < 3800)
            deep += u'/' + QString(100, QChar(u'\u00e9'));
        QCOMPARE(moveToZeta(deep.sliced(m_dir->path().size() + 1), {u"Zeta - a"_s}), 1);
        UndoPass undo = undoPass(deep);
        QVERIFY(undo.found() && undo.step());
        QCOMPARE(undo.summary().moved, 1);
    }

    // A move that cannot be written down first is not made: it could not be taken back.
    void unwrittenJournalMovesNothing()
    {
        makeAll({u"sel/Zeta - a"_s, u"sel/Zeta - b"_s});
        const auto pass = journaledMove(ListedFolder(selected(), std::nullopt),
            {{u"Zeta"_s}, {u"Zeta - a"_s, u"Zeta - b"_s}}, {}, u"/dev/null/arvelo"_s)
                              .pass;
        QVERIFY(pass->step(QDeadlineTimer::Forever, std::numeric_limits<qsizetype>::max()));
        QCOMPARE(stays(pass->summary()),
            QStringList({u"Zeta - a %1"_s.arg(int(StayReason::NotJournaled)),
                u"Zeta - b %1"_s.arg(int(StayReason::NotJournaled))}));
        QCOMPARE(listing(selected()).join(u", "_s), u"Zeta - a, Zeta - b"_s);
    }

    // The journal's helper holds no other file open: a pipe closed meanwhile ends at once.
    void journalHoldsNoOtherFile()
    {
        int ends[2];
        QVERIFY(::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0);
        Journal journal(selected(), {}, m_state->path());
        for (const QString &folder : {u"a"_s, u"b"_s}) {
            // The second write waits for the first flush, so the helper is running by then.
            journal.made(folder);
            QVERIFY(journal.write());
        }
        ::close(ends[1]);
        char byte = 0;
        QCOMPARE(::read(ends[0], &byte, 1), ssize_t(0));
        ::close(ends[0]);
    }

    void hostileJournal_data()
    {
        // After the header; ID, XB and XI stand for the identities of Zeta/Zeta - a and of the
        // files beside and inside the folder "outside", FAR for that folder's absolute path.
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("after"); // what "sel" holds after the undo
        QTest::addColumn<QStringList>("stayed");

        const auto row
            = [](const char *tag, QStringView records, QStringView after, QStringList stayed = {}) {
                  QTest::newRow(tag) << records.toString() << after.toString() << stayed;
              };
        const QString unusable = QString::number(int(StayReason::UnusableName));
        const QString untouched = u"Zeta/, Zeta/Zeta - a=Zeta/Zeta - a"_s;
        row("whole record", u"move ID Zeta Zeta%20-%20a\n", u"Zeta - a=Zeta/Zeta - a, Zeta/");
        row("truncated last record", u"move ID Zeta Zeta%20-%20a", untouched);
        row("parent folder", u"move XB .. Zeta%20-%20beside\n", untouched,
            {u"../Zeta - beside "_s + unusable});
        row("separators in the name", u"move XB Zeta ..%2F..%2FZeta%20-%20beside\n", untouched,
            {u"Zeta/../../Zeta - beside "_s + unusable});
        row("absolute folder", u"move XI FAR Zeta%20-%20in\n", untouched,
            {u"FAR/Zeta - in "_s + unusable});
        row("identity of another file", u"move 1 2 Zeta Zeta%20-%20a\n", untouched,
            {u"Zeta/Zeta - a %1"_s.arg(int(StayReason::OtherFileNow))});
        row("folders outside made", u"made ..\nmade FAR%2Fempty\nmade Zeta\n", untouched);
        row("lines that are not records",
            u"move ID Zeta\nmove -1 2 Zeta Zeta%20-%20a\nmove ID  Zeta Zeta%20-%20a\nrm -rf\n",
            untouched);
    }

    // A journal someone else has written can make the undo touch nothing outside the folder,
    // and neither crash nor hang it.
    void hostileJournal()
    {
        QFETCH(QString, records);
        QFETCH(QString, after);
        QFETCH(QStringList, stayed);

        makeAll({u"sel/Zeta/"_s, u"sel/Zeta/Zeta - a"_s, u"outside/empty/"_s});
        const QByteArray outside = QFile::encodeName(m_dir->path() + u"/outside"_s);
        QByteArray text = "arvelo-journal 1\nfolder " + identity(selected()) + ' '
            + QFile::encodeName(selected()).toPercentEncoding("/") + '\n'
            + records.toUtf8()
                  .replace("ID", identity(selected() + u"/Zeta/Zeta - a"_s))
                  .replace("XB", identity(m_dir->path() + u"/Zeta - beside"_s))
                  .replace("XI", identity(m_dir->path() + u"/outside/Zeta - in"_s))
                  .replace("FAR", outside.toPercentEncoding());
        QVERIFY(bytetree::makeFile(
            QFile::encodeName(m_state->filePath(u"00000000000000000001-1.journal"_s)), text));
        // Newer by its name, and a pipe: read, it would never end.
        QCOMPARE(::mkfifo(QFile::encodeName(m_state->filePath(u"99999999999999999999-1.journal"_s))
                              .constData(),
                     0600),
            0);

        UndoPass undo = undoPass(selected());
        QVERIFY(undo.found() && undo.step());
        QCOMPARE(
            stays(undo.summary()), stayed.replaceInStrings(u"FAR"_s, QFile::decodeName(outside)));
        QCOMPARE(listing(selected()).join(u", "_s), after);
    }

    void moveNoReplace_data()
    {
        QTest::addColumn<QList<int>>("errors"); // of the calls in order; 0 makes the real call
        QTest::addColumn<QString>("target"); // what stands at the new name beforehand
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("calls");

        const auto row = [](const char *tag, QList<int> errors, QStringView target, int error,
                             QStringView calls) {
            QTest::newRow(tag) << errors << target.toString() << error << calls.toString();
        };
        row("atomic", {}, u"", 0, u"renameNoReplace");
        row("atomic, taken", {}, u"sel/to/a", EEXIST, u"renameNoReplace lstat lstat");
        row("EINVAL: link", {EINVAL}, u"", 0, u"renameNoReplace link rename lstat unlink");
        row("link, taken", {EINVAL}, u"sel/to/a", EEXIST, u"renameNoReplace link lstat lstat");
        row("EPERM: reserve", {EINVAL, EPERM}, u"", 0,
            u"renameNoReplace link lstat create lstat rename");
        row("reserve, dangling link", {EINVAL, EPERM}, u"sel/to/a@gone", EEXIST,
            u"renameNoReplace link lstat create lstat lstat");
        row("EXDEV stops", {EXDEV}, u"", EXDEV, u"renameNoReplace lstat lstat");
        // Both names lead to the same file, so dropping the new one undoes the move.
        row("old name not put aside: link undone", {EINVAL, 0, EACCES}, u"", EACCES,
            u"renameNoReplace link rename lstat lstat lstat unlink");
    }

    void moveNoReplace()
    {
        QFETCH(QList<int>, errors);
        QFETCH(QString, target);
        QFETCH(int, error);
        QFETCH(QString, calls);

        makeAll({u"sel/a"_s, u"sel/to/"_s, target});
        const QStringList before = listing(selected());
        QStringList made;
        const auto noted = [&](const QString &name, const auto &real) {
            return [&, name, real](auto... args) {
                made.append(name);
                errno = errors.value(made.size() - 1);
                return errno != 0 ? -1 : real(args...);
            };
        };
        const MoveSyscalls &real = MoveSyscalls::system();
        const QByteArray from = QFile::encodeName(selected() + u"/a"_s);
        struct stat file = {};
        QCOMPARE(::lstat(from.constData(), &file), 0);
        const MoveResult result = moveNoReplaceAt(AT_FDCWD, from.constData(), AT_FDCWD,
            QFile::encodeName(selected() + u"/to/a"_s).constData(), file,
            {noted(u"renameNoReplace"_s, real.renameNoReplace), noted(u"link"_s, real.link),
                noted(u"unlink"_s, real.unlink), noted(u"lstat"_s, real.lstat),
                noted(u"rename"_s, real.rename), noted(u"mkdir"_s, real.mkdir),
                noted(u"create"_s, real.create)});
        QCOMPARE(result.error, error);
        QCOMPARE(made.join(u' '), calls);
        // Moved, or left exactly as it was.
        QCOMPARE(listing(selected()), error ? before : QStringList({u"to/"_s, u"to/a"_s}));
    }
};

QTEST_GUILESS_MAIN(TestMove)
#include "tst_move.moc"
