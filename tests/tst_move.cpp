#include "filing/ArtistFolders.h"
#include "filing/MoveNoReplace.h"
#include "filing/MovePass.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <optional>
#include <unistd.h>

using namespace arvelo;

namespace {

// Each file holds the path it was written at, relative to the temporary root, so a listing
// shows where every file came from and no two files share content.
void writeFile(const QString &root, const QString &relative)
{
    QFile file(root + u'/' + relative);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::NewOnly));
    file.write(relative.toUtf8());
}

// "name/" makes a folder, "name->target" a symbolic link, anything else a file.
void makeEntry(const QString &root, const QString &relative)
{
    if (relative.endsWith(u'/')) {
        QVERIFY(QDir(root).mkpath(relative));
    } else if (relative.contains(u"->"_qs)) {
        const QStringList ends = relative.split(u"->"_qs);
        QVERIFY(QFile::link(ends.at(1), root + u'/' + ends.at(0)));
    } else {
        writeFile(root, relative);
    }
}

// The target as written in the link, not resolved.
QString linkText(const QString &path)
{
    char buffer[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return size < 0 ? QString() : QFile::decodeName(QByteArray(buffer, size));
}

// Every entry under root: "dir/", "link->target", "file=origin"; sorted.
QStringList listing(const QString &root)
{
    QStringList all;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = it.filePath().sliced(root.size() + 1);
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            all.append(relative + u"->"_qs + linkText(it.filePath()));
        } else if (info.isDir()) {
            all.append(relative + u'/');
        } else {
            QFile file(it.filePath());
            if (!file.open(QIODevice::ReadOnly))
                qFatal("cannot read back a test file");
            all.append(relative + u'=' + QString::fromUtf8(file.readAll()));
        }
    }
    all.sort();
    return all;
}

// The part of a listing inside "sel/", relative to it.
QStringList selectedPart(const QStringList &all)
{
    QStringList inside;
    for (QString entry : all) {
        if (!entry.startsWith(u"sel/"_qs) || entry == u"sel/"_qs)
            continue;
        entry.remove(0, 4);
        entry.replace(u"=sel/"_qs, u"="_qs);
        inside.append(entry);
    }
    return inside;
}

QStringList contentsOf(const QStringList &all)
{
    QStringList contents;
    for (const QString &entry : all) {
        const qsizetype at = entry.indexOf(u'=');
        if (at >= 0)
            contents.append(entry.sliced(at + 1));
    }
    contents.sort();
    return contents;
}

QStringList outsidePart(const QStringList &all)
{
    QStringList outside;
    for (const QString &entry : all) {
        if (!entry.startsWith(u"sel/"_qs) && entry != u"sel/"_qs)
            outside.append(entry);
    }
    return outside;
}

// Stands in for the real calls with a refusal, and notes every call made.
struct ScriptedCalls
{
    int renameError = 0;
    int linkError = 0;
    int unlinkErrors = 0; // the first this many unlinks are refused
    QStringList made;

    MoveSyscalls calls()
    {
        const MoveSyscalls &real = MoveSyscalls::system();
        auto refuse = [](int error) {
            errno = error;
            return -1;
        };
        return {
            [this, &real, refuse](const char *from, const char *to) {
                made.append(u"renameNoReplace"_qs);
                return renameError ? refuse(renameError) : real.renameNoReplace(from, to);
            },
            [this, &real, refuse](const char *from, const char *to) {
                made.append(u"link"_qs);
                return linkError ? refuse(linkError) : real.link(from, to);
            },
            [this, &real, refuse](const char *path) {
                made.append(u"unlink"_qs);
                return unlinkErrors-- > 0 ? refuse(EACCES) : real.unlink(path);
            },
            [this, &real](const char *path) {
                made.append(u"lexists"_qs);
                return real.lexists(path);
            },
            [this, &real](const char *from, const char *to) {
                made.append(u"rename"_qs);
                return real.rename(from, to);
            },
        };
    }
};

// The real file system, except that some folders cannot be created (a read-only medium).
class RefusingFolders final : public FolderAccess
{
public:
    explicit RefusingFolders(QStringList refused)
        : m_refused(std::move(refused))
    { }

    std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) override
    {
        return m_disk.findEntry(folder, name);
    }
    bool createFolder(const QString &folder, const QString &name) override
    {
        return !m_refused.contains(name) && m_disk.createFolder(folder, name);
    }
    MoveResult moveNoReplace(const QString &from, const QString &to) override
    {
        return m_disk.moveNoReplace(from, to);
    }

private:
    DiskFolders m_disk;
    QStringList m_refused;
};

} // namespace

class TestMove : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pass_data();
    void pass();
    void stalePressedTwice();
    void folderThatCannotBeCreated();
    void findEntry_data();
    void findEntry();
    void lookupFollowsTheFolderDuringAPass();
    void moveFallbacks_data();
    void moveFallbacks();
    void undoesTheLinkWhenTheOldNameCannotGo();
    void realRefusals_data();
    void realRefusals();
    void folderNames_data();
    void folderNames();

private:
    QString root() const { return m_dir->path(); }
    QString selected() const { return root() + u"/sel"_qs; }
    void makeAll(const QStringList &entries);
    // Records the state that no test may lose or change.
    void seal();

    std::optional<QTemporaryDir> m_dir;
    std::optional<QStringList> m_before;
};

void TestMove::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    // Neighbours of the selected folder that no pass may touch.
    makeAll({u"sel/"_qs, u"outside/"_qs, u"outside/Zeta - inner.mp3"_qs, u"outside.mp3"_qs,
        u"Zeta - beside.mp3"_qs});
}

void TestMove::cleanup()
{
    if (m_before) {
        const QStringList after = listing(root());
        QCOMPARE(contentsOf(after), contentsOf(*m_before));
        QCOMPARE(outsidePart(after), outsidePart(*m_before));
    }
    m_before.reset();
    m_dir.reset();
}

void TestMove::makeAll(const QStringList &entries)
{
    for (const QString &entry : entries)
        makeEntry(root(), entry);
}

void TestMove::seal()
{
    m_before = listing(root());
}

void TestMove::pass_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<bool>("beautify");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("moved");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("created");

    const QStringList zetaPair {u"zeta - one.mp3"_qs, u"ZETA - two.mp3"_qs};
    QTest::newRow("beautified folder name")
        << QStringList {u"Zeta"_qs} << zetaPair << QStringList() << true
        << QStringList {u"Zeta/"_qs, u"Zeta/ZETA - two.mp3=ZETA - two.mp3"_qs,
               u"Zeta/zeta - one.mp3=zeta - one.mp3"_qs}
        << 2 << 0 << 1;
    QTest::newRow("first file names the folder")
        << QStringList {u"Zeta"_qs} << zetaPair << QStringList() << false
        << QStringList {u"zeta/"_qs, u"zeta/ZETA - two.mp3=ZETA - two.mp3"_qs,
               u"zeta/zeta - one.mp3=zeta - one.mp3"_qs}
        << 2 << 0 << 1;
    QTest::newRow("file order decides the name")
        << QStringList {u"Zeta"_qs} << QStringList {zetaPair.at(1), zetaPair.at(0)} << QStringList()
        << false
        << QStringList {u"ZETA/"_qs, u"ZETA/ZETA - two.mp3=ZETA - two.mp3"_qs,
               u"ZETA/zeta - one.mp3=zeta - one.mp3"_qs}
        << 2 << 0 << 1;
    QTest::newRow("inner blanks kept as written")
        << QStringList {u"Zeta One"_qs} << QStringList {u"zeta  one - x.mp3"_qs} << QStringList()
        << false
        << QStringList {u"zeta  one/"_qs, u"zeta  one/zeta  one - x.mp3=zeta  one - x.mp3"_qs} << 1
        << 0 << 1;
    QTest::newRow("inner blanks beautified")
        << QStringList {u"Zeta One"_qs} << QStringList {u"zeta  one - x.mp3"_qs} << QStringList()
        << true << QStringList {u"Zeta One/"_qs, u"Zeta One/zeta  one - x.mp3=zeta  one - x.mp3"_qs}
        << 1 << 0 << 1;
    QTest::newRow("leading blanks dropped")
        << QStringList {u"Zeta"_qs} << QStringList {u" zeta - x.mp3"_qs} << QStringList() << false
        << QStringList {u"zeta/"_qs, u"zeta/ zeta - x.mp3= zeta - x.mp3"_qs} << 1 << 0 << 1;
    QTest::newRow("several artists, others stay")
        << QStringList {u"Alpha"_qs, u"Zeta"_qs}
        << QStringList {u"Alpha - 1.mp3"_qs, u"Zeta - 1.mp3"_qs, u"alpha - 2.mp3"_qs,
               u"Other - x.mp3"_qs}
        << QStringList() << true
        << QStringList {u"Alpha/"_qs, u"Alpha/Alpha - 1.mp3=Alpha - 1.mp3"_qs,
               u"Alpha/alpha - 2.mp3=alpha - 2.mp3"_qs, u"Other - x.mp3=Other - x.mp3"_qs,
               u"Zeta/"_qs, u"Zeta/Zeta - 1.mp3=Zeta - 1.mp3"_qs}
        << 3 << 0 << 2;
    QTest::newRow("existing folder in another case")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - one.mp3"_qs}
        << QStringList {u"sel/ZETA/"_qs} << true
        << QStringList {u"ZETA/"_qs, u"ZETA/Zeta - one.mp3=Zeta - one.mp3"_qs} << 1 << 0 << 0;
    QTest::newRow("existing folder in decomposed form")
        << QStringList {u"C\u00e9line"_qs} << QStringList {u"C\u00e9line - a.mp3"_qs}
        << QStringList {u"sel/Ce\u0301line/"_qs} << true
        << QStringList {u"Ce\u0301line/"_qs,
               u"Ce\u0301line/C\u00e9line - a.mp3=C\u00e9line - a.mp3"_qs}
        << 1 << 0 << 0;
    QTest::newRow("two spellings share the folder made first")
        << QStringList {u"C\u00e9line"_qs, u"Ce\u0301line"_qs}
        << QStringList {u"C\u00e9line - a.mp3"_qs, u"Ce\u0301line - b.mp3"_qs} << QStringList()
        << false
        << QStringList {u"C\u00e9line/"_qs,
               u"C\u00e9line/C\u00e9line - a.mp3=C\u00e9line - a.mp3"_qs,
               u"C\u00e9line/Ce\u0301line - b.mp3=Ce\u0301line - b.mp3"_qs}
        << 2 << 0 << 1;
    QTest::newRow("file already in the folder stays")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - one.mp3"_qs, u"Zeta - two.mp3"_qs}
        << QStringList {u"sel/Zeta/"_qs, u"sel/Zeta/Zeta - one.mp3"_qs} << true
        << QStringList {u"Zeta - one.mp3=Zeta - one.mp3"_qs, u"Zeta/"_qs,
               u"Zeta/Zeta - one.mp3=Zeta/Zeta - one.mp3"_qs,
               u"Zeta/Zeta - two.mp3=Zeta - two.mp3"_qs}
        << 1 << 1 << 0;
    QTest::newRow("entry without files gets no folder")
        << QStringList {u"Omega"_qs, u"Zeta"_qs} << QStringList {u"Zeta - a.mp3"_qs}
        << QStringList() << true << QStringList {u"Zeta/"_qs, u"Zeta/Zeta - a.mp3=Zeta - a.mp3"_qs}
        << 1 << 0 << 1;
    QTest::newRow("only the first hyphen counts")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - Live - one.mp3"_qs} << QStringList()
        << true << QStringList {u"Zeta/"_qs, u"Zeta/Zeta - Live - one.mp3=Zeta - Live - one.mp3"_qs}
        << 1 << 0 << 1;
    QTest::newRow("name without hyphen is not the artist")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta.mp3"_qs, u"Zeta - a.mp3"_qs}
        << QStringList() << true
        << QStringList {u"Zeta.mp3=Zeta.mp3"_qs, u"Zeta/"_qs, u"Zeta/Zeta - a.mp3=Zeta - a.mp3"_qs}
        << 1 << 0 << 1;
    // The file is its own folder name: it matches, and stays.
    QTest::newRow("name without hyphen compared whole")
        << QStringList {u"Zeta.mp3"_qs} << QStringList {u"Zeta.mp3"_qs, u"Zeta - a.mp3"_qs}
        << QStringList() << true
        << QStringList {u"Zeta - a.mp3=Zeta - a.mp3"_qs, u"Zeta.mp3=Zeta.mp3"_qs} << 0 << 1 << 0;
    QTest::newRow("file where the folder should be")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - a.mp3"_qs}
        << QStringList {u"sel/Zeta"_qs} << true
        << QStringList {u"Zeta - a.mp3=Zeta - a.mp3"_qs, u"Zeta=Zeta"_qs} << 0 << 1 << 0;
    QTest::newRow("file in another case where the folder should be")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - a.mp3"_qs}
        << QStringList {u"sel/zeta"_qs} << true
        << QStringList {u"Zeta - a.mp3=Zeta - a.mp3"_qs, u"zeta=zeta"_qs} << 0 << 1 << 0;
    QTest::newRow("link where the folder should be")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - a.mp3"_qs}
        << QStringList {u"sel/Zeta->../outside"_qs} << true
        << QStringList {u"Zeta - a.mp3=Zeta - a.mp3"_qs, u"Zeta->../outside"_qs} << 0 << 1 << 0;
    QTest::newRow("parent folder as artist")
        << QStringList {u".."_qs} << QStringList {u" .. - a.mp3"_qs} << QStringList() << true
        << QStringList {u" .. - a.mp3= .. - a.mp3"_qs} << 0 << 1 << 0;
    QTest::newRow("parent folder as artist, as written")
        << QStringList {u".."_qs} << QStringList {u" .. - a.mp3"_qs} << QStringList() << false
        << QStringList {u" .. - a.mp3= .. - a.mp3"_qs} << 0 << 1 << 0;
    QTest::newRow("hidden folder name")
        << QStringList {u".x"_qs} << QStringList {u" .x - a.mp3"_qs} << QStringList() << false
        << QStringList {u" .x - a.mp3= .x - a.mp3"_qs} << 0 << 1 << 0;
    QTest::newRow("empty entry") << QStringList {QString(),
        u"Zeta"_qs} << QStringList {u"- intro.mp3"_qs, u"  - b.mp3"_qs, u"Zeta - a.mp3"_qs}
                                 << QStringList() << false
                                 << QStringList {u"  - b.mp3=  - b.mp3"_qs,
                                        u"- intro.mp3=- intro.mp3"_qs, u"Zeta/"_qs,
                                        u"Zeta/Zeta - a.mp3=Zeta - a.mp3"_qs}
                                 << 1 << 2 << 1;
    QTest::newRow("same entry twice")
        << QStringList {u"Zeta"_qs, u"Zeta"_qs}
        << QStringList {u"Zeta - a.mp3"_qs, u"Zeta - b.mp3"_qs} << QStringList() << true
        << QStringList {u"Zeta/"_qs, u"Zeta/Zeta - a.mp3=Zeta - a.mp3"_qs,
               u"Zeta/Zeta - b.mp3=Zeta - b.mp3"_qs}
        << 2 << 0 << 1;
    // Joined naively, this name would pull ../outside.mp3 into the selected folder.
    QTest::newRow("listed name with a separator")
        << QStringList {u"Zeta"_qs} << QStringList {u"Zeta - x/../../outside.mp3"_qs}
        << QStringList {u"sel/Zeta - x/"_qs, u"sel/Zeta/Zeta - x/"_qs} << true
        << QStringList {u"Zeta - x/"_qs, u"Zeta/"_qs, u"Zeta/Zeta - x/"_qs} << 0 << 1 << 0;
}

void TestMove::pass()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, files);
    QFETCH(QStringList, present);
    QFETCH(bool, beautify);
    QFETCH(QStringList, after);
    QFETCH(int, moved);
    QFETCH(int, failed);
    QFETCH(int, created);

    makeAll(present);
    for (const QString &file : std::as_const(files)) {
        if (isPlainEntryName(file))
            writeFile(root(), u"sel/"_qs + file);
    }
    seal();

    DiskFolders disk;
    const MoveSummary summary = moveIntoArtistFolders(disk, entries, selected(), files, beautify);

    QStringList expected = after;
    expected.sort();
    QCOMPARE(selectedPart(listing(root())), expected);
    QCOMPARE(summary.moved, moved);
    QCOMPARE(summary.failed, failed);
    QCOMPARE(summary.foldersCreated, created);
}

void TestMove::stalePressedTwice()
{
    const QStringList files {u"Zeta - a.mp3"_qs, u"Omega - b.mp3"_qs};
    const QStringList entries {u"Omega"_qs, u"Zeta"_qs};
    for (const QString &file : files)
        writeFile(root(), u"sel/"_qs + file);
    seal();

    DiskFolders first;
    QCOMPARE(moveIntoArtistFolders(first, entries, selected(), files, true).moved, 2);
    const QStringList once = listing(root());

    DiskFolders second;
    const MoveSummary again = moveIntoArtistFolders(second, entries, selected(), files, true);
    QCOMPARE(again.moved, 0);
    QCOMPARE(again.failed, 2);
    QCOMPARE(again.foldersCreated, 0);
    QCOMPARE(listing(root()), once);
}

void TestMove::folderThatCannotBeCreated()
{
    const QStringList files {
        u"Alpha - a.mp3"_qs, u"Zeta - b.mp3"_qs, u"Omega - c.mp3"_qs, u"Zeta - d.mp3"_qs};
    for (const QString &file : files)
        writeFile(root(), u"sel/"_qs + file);
    seal();

    RefusingFolders folders({u"Zeta"_qs});
    const MoveSummary summary = moveIntoArtistFolders(
        folders, {u"Alpha"_qs, u"Zeta"_qs, u"Omega"_qs}, selected(), files, true);
    QCOMPARE(summary.moved, 2);
    QCOMPARE(summary.failed, 2);
    QCOMPARE(selectedPart(listing(root())),
        QStringList({u"Alpha/"_qs, u"Alpha/Alpha - a.mp3=Alpha - a.mp3"_qs, u"Omega/"_qs,
            u"Omega/Omega - c.mp3=Omega - c.mp3"_qs, u"Zeta - b.mp3=Zeta - b.mp3"_qs,
            u"Zeta - d.mp3=Zeta - d.mp3"_qs}));
}

void TestMove::findEntry_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found"); // empty: nothing found
    QTest::addColumn<bool>("isFolder");

    QTest::newRow("exact folder") << QStringList {u"sel/Zeta/"_qs} << u"Zeta"_qs << u"Zeta"_qs
                                  << true;
    QTest::newRow("folder in another case")
        << QStringList {u"sel/zEtA/"_qs} << u"Zeta"_qs << u"zEtA"_qs << true;
    QTest::newRow("exact name comes first")
        << QStringList {u"sel/Zeta"_qs, u"sel/zeta/"_qs} << u"Zeta"_qs << u"Zeta"_qs << false;
    QTest::newRow("folder preferred among other cases")
        << QStringList {u"sel/ZETA"_qs, u"sel/zeta/"_qs} << u"Zeta"_qs << u"zeta"_qs << true;
    QTest::newRow("decomposed accent")
        << QStringList {u"sel/ce\u0301line/"_qs} << u"C\u00e9line"_qs << u"ce\u0301line"_qs << true;
    QTest::newRow("link is no folder")
        << QStringList {u"sel/Zeta->../outside"_qs} << u"Zeta"_qs << u"Zeta"_qs << false;
    QTest::newRow("trailing blank is another name")
        << QStringList {u"sel/Zeta /"_qs} << u"Zeta"_qs << QString() << false;
    QTest::newRow("hidden name never used")
        << QStringList {u"sel/.Zeta/"_qs} << u".Zeta"_qs << QString() << false;
    QTest::newRow("case mapping keeps length")
        << QStringList {u"sel/STRASSE/"_qs} << u"Stra\u00dfe"_qs << QString() << false;
    QTest::newRow("nothing there")
        << QStringList {u"sel/Alpha/"_qs} << u"Zeta"_qs << QString() << false;
}

void TestMove::findEntry()
{
    QFETCH(QStringList, present);
    QFETCH(QString, name);
    QFETCH(QString, found);
    QFETCH(bool, isFolder);

    makeAll(present);
    seal();
    DiskFolders disk;
    const std::optional<FolderEntry> entry = disk.findEntry(selected(), name);
    QCOMPARE(entry.has_value(), !found.isEmpty());
    if (entry) {
        QCOMPARE(entry->name, found);
        QCOMPARE(entry->isFolder, isFolder);
    }
}

void TestMove::lookupFollowsTheFolderDuringAPass()
{
    makeAll({u"sel/zeta"_qs});
    seal();
    DiskFolders disk;
    QCOMPARE(disk.findEntry(selected(), u"Zeta"_qs)->name, u"zeta"_qs);

    // Moved away after the folder was first listed: the name is free again.
    QVERIFY(moveNoReplace(selected() + u"/zeta"_qs, selected() + u"/other"_qs).moved());
    QVERIFY(!disk.findEntry(selected(), u"Zeta"_qs));

    QVERIFY(disk.createFolder(selected(), u"Omega"_qs));
    const std::optional<FolderEntry> made = disk.findEntry(selected(), u"OMEGA"_qs);
    QVERIFY(made);
    QCOMPARE(made->name, u"Omega"_qs);
    QVERIFY(made->isFolder);
    QVERIFY(!disk.createFolder(selected(), u"Omega"_qs));
    QVERIFY(!disk.createFolder(selected(), u".."_qs));
}

void TestMove::moveFallbacks_data()
{
    QTest::addColumn<int>("renameError");
    QTest::addColumn<int>("linkError");
    QTest::addColumn<QString>("target"); // "" free, "file" or "link" standing there
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("calls");

    const QStringList atomic {u"renameNoReplace"_qs};
    const QStringList linked {u"renameNoReplace"_qs, u"link"_qs, u"unlink"_qs};
    const QStringList linkRefused {u"renameNoReplace"_qs, u"link"_qs};
    const QStringList checked {u"renameNoReplace"_qs, u"link"_qs, u"lexists"_qs, u"rename"_qs};
    const QStringList checkRefused {u"renameNoReplace"_qs, u"link"_qs, u"lexists"_qs};

    QTest::newRow("atomic") << 0 << 0 << QString() << 0 << atomic;
    QTest::newRow("atomic, taken") << 0 << 0 << u"file"_qs << EEXIST << atomic;
    QTest::newRow("atomic, dangling link") << 0 << 0 << u"link"_qs << EEXIST << atomic;
    QTest::newRow("EINVAL: link") << EINVAL << 0 << QString() << 0 << linked;
    QTest::newRow("ENOSYS: link") << ENOSYS << 0 << QString() << 0 << linked;
    QTest::newRow("EOPNOTSUPP: link") << EOPNOTSUPP << 0 << QString() << 0 << linked;
    QTest::newRow("link, taken") << EINVAL << 0 << u"file"_qs << EEXIST << linkRefused;
    QTest::newRow("link, dangling link") << EINVAL << 0 << u"link"_qs << EEXIST << linkRefused;
    QTest::newRow("EPERM: check") << EINVAL << EPERM << QString() << 0 << checked;
    QTest::newRow("EOPNOTSUPP: check") << EINVAL << EOPNOTSUPP << QString() << 0 << checked;
    QTest::newRow("check, taken") << EINVAL << EPERM << u"file"_qs << EEXIST << checkRefused;
    QTest::newRow("check, dangling link")
        << EINVAL << EPERM << u"link"_qs << EEXIST << checkRefused;
    QTest::newRow("EXDEV stops") << EXDEV << 0 << QString() << EXDEV << atomic;
    QTest::newRow("EACCES stops") << EACCES << 0 << QString() << EACCES << atomic;
    QTest::newRow("EROFS stops") << EROFS << 0 << QString() << EROFS << atomic;
    QTest::newRow("EXDEV from link stops") << EINVAL << EXDEV << QString() << EXDEV << linkRefused;
}

void TestMove::moveFallbacks()
{
    QFETCH(int, renameError);
    QFETCH(int, linkError);
    QFETCH(QString, target);
    QFETCH(int, error);
    QFETCH(QStringList, calls);

    makeAll({u"sel/a.mp3"_qs, u"sel/to/"_qs});
    if (target == u"file"_qs)
        makeAll({u"sel/to/a.mp3"_qs});
    else if (target == u"link"_qs)
        makeAll({u"sel/to/a.mp3->missing"_qs});
    seal();
    const QStringList before = selectedPart(*m_before);

    ScriptedCalls script;
    script.renameError = renameError;
    script.linkError = linkError;
    const MoveResult result
        = moveNoReplace(selected() + u"/a.mp3"_qs, selected() + u"/to/a.mp3"_qs, script.calls());
    QCOMPARE(result.error, error);
    QCOMPARE(result.moved(), error == 0);
    QCOMPARE(script.made, calls);
    const QStringList now = selectedPart(listing(root()));
    if (error == 0)
        QCOMPARE(now, QStringList({u"to/"_qs, u"to/a.mp3=a.mp3"_qs}));
    else
        QCOMPARE(now, before);
}

void TestMove::undoesTheLinkWhenTheOldNameCannotGo()
{
    makeAll({u"sel/a.mp3"_qs, u"sel/to/"_qs});
    seal();
    ScriptedCalls script;
    script.renameError = EINVAL;
    script.unlinkErrors = 1;
    const MoveResult result
        = moveNoReplace(selected() + u"/a.mp3"_qs, selected() + u"/to/a.mp3"_qs, script.calls());
    QCOMPARE(result.error, EACCES);
    QCOMPARE(selectedPart(listing(root())), QStringList({u"a.mp3=a.mp3"_qs, u"to/"_qs}));
}

void TestMove::realRefusals_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("error");

    QTest::newRow("source gone") << u"gone.mp3"_qs << u"to/gone.mp3"_qs << ENOENT;
    QTest::newRow("no such folder") << u"a.mp3"_qs << u"nowhere/a.mp3"_qs << ENOENT;
    QTest::newRow("folder is a file") << u"a.mp3"_qs << u"b.mp3/a.mp3"_qs << ENOTDIR;
    QTest::newRow("onto a file") << u"a.mp3"_qs << u"b.mp3"_qs << EEXIST;
    QTest::newRow("onto a folder") << u"a.mp3"_qs << u"to"_qs << EEXIST;
    QTest::newRow("onto itself") << u"a.mp3"_qs << u"a.mp3"_qs << EEXIST;
    QTest::newRow("empty name") << u"a.mp3"_qs << QString() << ENOENT;
}

void TestMove::realRefusals()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, error);

    makeAll({u"sel/a.mp3"_qs, u"sel/b.mp3"_qs, u"sel/to/"_qs});
    seal();
    const auto inSelected
        = [this](const QString &name) { return name.isEmpty() ? name : selected() + u'/' + name; };
    QCOMPARE(moveNoReplace(inSelected(from), inSelected(to)).error, error);
    QCOMPARE(listing(root()), *m_before);
}

void TestMove::folderNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");

    QTest::newRow("plain") << u"Zeta One"_qs << true;
    QTest::newRow("dots inside") << u"Z..a"_qs << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot") << u"."_qs << false;
    QTest::newRow("dot dot") << u".."_qs << false;
    QTest::newRow("hidden") << u".Zeta"_qs << false;
    QTest::newRow("separator") << u"a/b"_qs << false;
    QTest::newRow("NUL") << QStringView(u"a\0b", 3).toString() << false;
}

void TestMove::folderNames()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QCOMPARE(isUsableFolderName(name), usable);
    // No usable name can make a folder anywhere but directly inside the selected one.
    DiskFolders disk;
    QCOMPARE(disk.createFolder(selected(), name), usable);
    QCOMPARE(listing(selected()), usable ? QStringList {name + u'/'} : QStringList());
}

QTEST_GUILESS_MAIN(TestMove)
#include "tst_move.moc"
