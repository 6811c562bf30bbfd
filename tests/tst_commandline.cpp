#include "cli/CommandLine.h"

#include "ByteTree.h"
#include "RunArvelo.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace arvelo;

namespace {

QString cannotOpen(const char *given, int error)
{
    return u"arvelo: cannot open folder \"%1\": %2\n"_s.arg(
        QString::fromUtf8(given), QString::fromLocal8Bit(std::strerror(error)));
}

// A slow disk: each rename takes 20 ms, so that a move can be stopped in its middle.
const QStringList slowDisk {
    u"LD_PRELOAD=" ARVELO_SLOW_RENAME ""_s, u"ARVELO_SLOW_RENAME_US=20000"_s};

} // namespace

// The command line read as a function, and the built program run as a user runs it.
class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString at(const QString &relative) const { return m_base.path() + u'/' + relative; }
    QByteArray songs() const { return QFile::encodeName(at(u"songs"_s)); }
    // The songs folder as made; no verb but --move may change it.
    QByteArrayList m_songs;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readsTheArguments_data();
    void readsTheArguments();
    void builtProgramAnswersWithoutAWindow_data();
    void builtProgramAnswersWithoutAWindow();
    void builtProgramStartsOnAFolder();
    void verbs_data();
    void verbs();
    void interruptStopsTheMoveBetweenFiles_data();
    void interruptStopsTheMoveBetweenFiles();
    void killedMoveIsTakenBack();
    void moveKeepsItsJournal_data();
    void moveKeepsItsJournal();
    void undoSaysWhyFilesStay_data();
    void undoSaysWhyFilesStay();
};

void TestCommandLine::initTestCase()
{
    QVERIFY(m_base.isValid());
    QCOMPARE(bytetree::make(m_base.path(),
                 {u"music/Mira Vell/"_s, u"-dash folder/"_s, u"locked/"_s, u"listed only/"_s,
                     u"song.mp3"_s, u"link@"_s + at(u"music/Mira Vell"_s)}),
        QByteArray());
    QVERIFY(QFile::setPermissions(at(u"locked"_s), {}));
    QVERIFY(QFile::setPermissions(at(u"listed only"_s), QFile::ReadOwner));
    // Two artists, one of them spelt in Latin-1 bytes, which are not UTF-8.
    QCOMPARE(
        bytetree::make(songs(), {"Caf\xe9 - One.mp3", "CAF\xe9 - Two.mp3", "Zeta - a", "ZETA - b"}),
        QByteArray());
    m_songs = bytetree::tree(songs(), true);
}

void TestCommandLine::cleanupTestCase()
{
    bytetree::removeTree(songs()); // Qt would not see the names that are not UTF-8
    QVERIFY(QFile::setPermissions(
        at(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestCommandLine::readsTheArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder"); // relative to the base; null when the program ends
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error"); // all of standard error, or its first line before usage
    QTest::addColumn<bool>("usage"); // the usage message follows the error

    // Opens a folder, or ends with status 2 and says why (then how to use it, where asked).
    const auto opens = [](const char *tag, const QStringList &arguments, const QString &folder) {
        QTest::newRow(tag) << arguments << folder << 0 << QString() << false;
    };
    const auto ends = [](const char *tag, const QStringList &arguments, const QString &error,
                          bool usage = false) {
        QTest::newRow(tag) << arguments << QString() << 2 << error << usage;
    };
    opens("no folder", {}, u"."_s);
    opens("relative", {u"music"_s}, u"music"_s);
    opens("dots and a trailing slash", {u"./music/../music/Mira Vell/"_s}, u"music/Mira Vell"_s);
    // ".." after a link is the parent of where the link leads, as `ls` has it.
    opens("dots after a link", {u"link/../Mira Vell"_s}, u"music/Mira Vell"_s);
    opens("absolute", {at(u"music"_s)}, u"music"_s);
    opens("after --, a name like an option", {u"--"_s, u"-dash folder"_s}, u"-dash folder"_s);
    opens("Qt's own options pass", {u"-platform"_s, u"offscreen"_s, u"-reverse"_s, u"music"_s},
        u"music"_s);

    ends("missing", {u"nowhere"_s}, cannotOpen("nowhere", ENOENT));
    ends("a file", {u"song.mp3"_s}, cannotOpen("song.mp3", ENOTDIR));
    ends("empty", {u""_s}, cannotOpen("", ENOENT));
    ends("unreadable", {u"locked"_s}, cannotOpen("locked", EACCES));
    ends("two folders", {u"music"_s, u"music"_s},
        u"arvelo: only one folder can be opened, 2 were given"_s, true);
    ends("unknown long option", {u"--sort-everything"_s, u"music"_s},
        u"arvelo: Unknown option 'sort-everything'."_s, true);
    ends("unknown short option", {u"-x"_s}, u"arvelo: Unknown option 'x'."_s, true);
    ends("Qt option without its value", {u"-style"_s}, u"arvelo: Missing value after '-style'."_s,
        true);
}

void TestCommandLine::readsTheArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, folder);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QFETCH(bool, usage);
    if (QByteArrayView(QTest::currentDataTag()) == "unreadable" && ::geteuid() == 0)
        QSKIP("root reads every folder");

    const StartUp start = readCommandLine(QStringList {u"arvelo"_s} + arguments, m_base.path());
    QCOMPARE(start.exitCode, exitCode);
    QCOMPARE(start.standardOutput, QString());
    if (folder.isNull()) {
        QVERIFY(!start.folder);
        if (usage) {
            QCOMPARE(start.standardError.section(u'\n', 0, 0), error);
            QVERIFY(start.standardError.contains(u"\nUsage: arvelo [options] [FOLDER]\n"_s));
        } else {
            QCOMPARE(start.standardError, error);
        }
    } else {
        QVERIFY(start.folder);
        QCOMPARE(*start.folder, QDir::cleanPath(m_base.path() + u'/' + folder));
        QCOMPARE(start.standardError, QString());
    }
}

void TestCommandLine::builtProgramAnswersWithoutAWindow_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the start of standard output
    QTest::addColumn<QString>("error"); // the start of standard error

    const QString usage = u"Usage: arvelo [options] [FOLDER]\n"_s;
    const QString version = u"Arvelo %1\n"_s.arg(QLatin1StringView(ARVELO_VERSION));
    const auto row = [](const char *tag, const QByteArrayList &arguments, int exitCode,
                         const QString &output, const QString &error = {}) {
        QTest::newRow(tag) << arguments << exitCode << output << error;
    };
    row("--version", {"--version"}, 0, version);
    row("-v", {"-v"}, 0, version);
    row("--help", {"--help"}, 0, usage);
    row("-h beside a folder", {"-h", "music"}, 0, usage);
    row("missing folder", {"nowhere"}, 2, {}, cannotOpen("nowhere", ENOENT));
    row("listed, not entered", {"listed only"}, 2, {}, cannotOpen("listed only", EACCES));
    row("two folders", {"music", "music/Mira Vell"}, 2, {}, u"arvelo: only one folder"_s);
    row("unknown option", {"--frobnicate"}, 2, {},
        u"arvelo: Unknown option 'frobnicate'.\n"_s + usage);
}

void TestCommandLine::builtProgramAnswersWithoutAWindow()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, error);

    // No display at all: had the program built its application object, Qt would abort.
    QProcess program;
    program.setWorkingDirectory(m_base.path());
    QString binary = QString::fromUtf8(ARVELO_BINARY);
    // Root enters every folder: the folder's owner, unprivileged, runs a copy it can reach.
    if (QByteArrayView(QTest::currentDataTag()) == "listed, not entered" && ::geteuid() == 0) {
        const QString copy = at(u"arvelo"_s);
        QVERIFY(::chmod(QFile::encodeName(m_base.path()), 0711) == 0
            && ::chown(QFile::encodeName(at(u"listed only"_s)), 65534, 65534) == 0);
        QVERIFY(QFile::copy(binary, copy) && ::chmod(QFile::encodeName(copy), 0755) == 0);
        arguments = QByteArrayList {"--reuid=65534", "--regid=65534", "--clear-groups",
                        QFile::encodeName(copy)}
            + arguments;
        binary = u"setpriv"_s;
    }
    startArvelo(program, arguments, {}, binary);
    QVERIFY(program.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    // What is expected on one stream starts it; the other stays silent.
    QVERIFY2(output.isEmpty() ? out.isEmpty() : out.startsWith(output), qPrintable(out));
    QVERIFY2(error.isEmpty() ? err.isEmpty() : err.startsWith(error), qPrintable(err));
    if (output == u"Usage: arvelo [options] [FOLDER]\n"_s) {
        for (const QString &option : {u"--help"_s, u"--version"_s, u"FOLDER"_s, u"\nExamples:\n"_s})
            QVERIFY2(out.contains(option), qPrintable(out));
    }
}

void TestCommandLine::builtProgramStartsOnAFolder()
{
    // A usable folder opens the window and the program keeps running until it is closed.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    program.setProcessEnvironment(environment);
    program.start(QString::fromUtf8(ARVELO_BINARY), {at(u"music"_s)});
    QVERIFY(program.waitForStarted());
    QVERIFY2(!program.waitForFinished(1500), program.readAllStandardError().constData());
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
}

void TestCommandLine::verbs_data()
{
    QTest::addColumn<QByteArrayList>("arguments"); // "songs" stands for the songs folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output"); // all of standard output
    QTest::addColumn<QByteArray>("error"); // the start of standard error

    const QByteArray none;
    const QByteArray at = QFile::encodeName(m_base.path()) + '/';
    // Printed names are the names' bytes; arguments reach the program as bytes too.
    QTest::newRow("scan, NUL-ended") << QByteArrayList {"--scan", "-0", "songs"} << 0
                                     << QByteArray("Caf\xe9\0Zeta\0", 10) << none;
    QTest::newRow("songs of an artist named in Latin-1")
        << QByteArrayList {"--songs", "Caf\xe9", "--null", "songs"} << 0
        << QByteArray("One.mp3\0Two.mp3\0", 16) << none;
    QTest::newRow("plan of that artist alone")
        << QByteArrayList {"--move", "--dry-run", "--only", "Caf\xe9", "songs"} << 0
        << QByteArray("Caf\xe9/\nCaf\xe9 - One.mp3 -> Caf\xe9/Caf\xe9 - One.mp3\n"
                      "CAF\xe9 - Two.mp3 -> Caf\xe9/CAF\xe9 - Two.mp3\n")
        << none;
    QTest::newRow("an artist struck") << QByteArrayList {"--scan", "--except", "Zeta", "songs"} << 0
                                      << QByteArray("Caf\xe9\n") << none;
    QTest::newRow("letter case kept: no artist twice")
        << QByteArrayList {"--scan", "--keep-case", "songs"} << 0 << none << none;

    // Bad input changes nothing and says why; an artist that Scan does not list is never
    // taken to mean every artist.
    const auto bad
        = [&](const char *tag, const QByteArrayList &arguments, const QByteArray &error) {
              QTest::newRow(tag) << arguments << 2 << none << error;
          };
    bad("unknown artist to --only", {"--move", "--only", "Zet", "songs"},
        "arvelo: \"Zet\" is not an artist that Scan lists in \"" + at + "songs\"\n");
    bad("unknown artist to --except", {"--move", "--except", "Caf", "songs"}, "arvelo: \"Caf\" is");
    bad("unknown artist to --songs", {"--songs", "Zeta - a", "songs"}, "arvelo: \"Zeta - a\" is");
    bad("artist struck by its key", {"--move", "--except", "ZETA", "songs"}, "arvelo: \"ZETA\" is");
    bad("verb without a folder", {"--move"}, "arvelo: --move needs a FOLDER\n");
    bad("missing folder", {"--scan", at + "nowhere"},
        cannotOpen((at + "nowhere").constData(), ENOENT).toUtf8());
    bad("a file for a folder", {"--move", at + "song.mp3"},
        cannotOpen((at + "song.mp3").constData(), ENOTDIR).toUtf8());
    bad("unreadable folder", {"--scan", at + "locked"},
        cannotOpen((at + "locked").constData(), EACCES).toUtf8());
    bad("two folders", {"--move", "songs", at + "music"}, "arvelo: only one folder can be opened");
    bad("two verbs", {"--scan", "--move", "songs"},
        "arvelo: --scan and --move cannot be given together\n");
    bad("option of another verb", {"--scan", "--dry-run", "songs"},
        "arvelo: --dry-run works only with --move or --undo\n");
    bad("verb option without a verb", {"--only", "Zeta", "songs"},
        "arvelo: --only works only with --scan or --move\n");
    bad("unknown option", {"--move", "--everything", "songs"},
        "arvelo: Unknown option 'everything'.\n");
}

void TestCommandLine::verbs()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, error);
    if (QByteArrayView(QTest::currentDataTag()) == "unreadable folder" && ::geteuid() == 0)
        QSKIP("root reads every folder");
    std::ranges::replace(arguments, QByteArray("songs"), songs());

    const ArveloRun run = runArvelo(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, output);
    QVERIFY2(error.isEmpty() ? run.err.isEmpty() : run.err.startsWith(error), run.err.constData());
    QCOMPARE(bytetree::tree(songs(), true), m_songs);
}

void TestCommandLine::interruptStopsTheMoveBetweenFiles_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl+C") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("output closed") << SIGPIPE; // by `| head -1`
}

void TestCommandLine::interruptStopsTheMoveBetweenFiles()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    QByteArrayList names;
    for (int artist = 0; artist < 4; ++artist) {
        for (int song = 0; song < 15; ++song)
            names.append("Artist " + QByteArray::number(artist) + " - " + QByteArray::number(song));
    }
    QCOMPARE(bytetree::make(folder, names), QByteArray());
    std::ranges::sort(names);
    const auto moved = [&] {
        QByteArrayList files = bytetree::tree(folder);
        files.removeIf([](const QByteArray &file) { return !file.contains("/A"); });
        return files;
    };

    // On the slow disk the signal comes in the middle of the move.
    QProcess program;
    if (signal == SIGPIPE) {
        // The reader goes after the first line; the shell tells how the program ended.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : slowDisk)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        program.setProcessEnvironment(environment);
        program.start(u"/bin/bash"_s,
            {u"-c"_s, u"\"$0\" --move --verbose \"$1\" | head -1; exit ${PIPESTATUS[0]}"_s,
                QString::fromUtf8(ARVELO_BINARY), dir.path()});
    } else {
        startArvelo(program, {"--move", "--verbose", folder}, slowDisk);
        QTRY_VERIFY(moved().size() >= 3);
        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
    }
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 130);

    // Every file whole, either in its artist's folder or where it was.
    QByteArrayList files;
    for (const bytetree::Entry &entry : bytetree::entries(folder)) {
        if (entry.held != "/") {
            files.append(entry.path.sliced(entry.path.lastIndexOf('/') + 1));
            QCOMPARE(entry.held, '=' + files.last());
        }
    }
    std::ranges::sort(files);
    QCOMPARE(files, names);
    // What it says moved is what the disk shows moved, and no more.
    const QByteArrayList inFolders = moved();
    QVERIFY(inFolders.size() < names.size());
    QByteArrayList told;
    for (const QByteArray &line : program.readAllStandardOutput().split('\n')) {
        if (const qsizetype arrow = line.indexOf(" -> "); arrow > 0)
            told.append(line.mid(arrow + 4) + '=' + line.left(arrow));
    }
    std::ranges::sort(told);
    if (signal != SIGPIPE)
        QCOMPARE(told, inFolders);
    const QByteArray error = program.readAllStandardError();
    QVERIFY2(error.startsWith("arvelo: interrupted: " + QByteArray::number(inFolders.size())
                 + " of 60 files moved, the others stayed where they were.\n"),
        error.constData());
}

void TestCommandLine::killedMoveIsTakenBack()
{
    QTemporaryDir folder, state;
    const QByteArray path = QFile::encodeName(folder.path());
    QStringList songs;
    for (int k = 0; k < 40; ++k)
        songs.append(u"Artist %1 - %2"_s.arg(k % 4).arg(k));
    QCOMPARE(bytetree::make(folder.path(), songs), QByteArray());
    const QByteArrayList before = bytetree::tree(path);
    const QStringList environment {u"XDG_STATE_HOME="_s + state.path()};

    // On the slow disk the move is killed a few files in, with no chance to clean up.
    QProcess move;
    startArvelo(move, {"--move", path}, environment + slowDisk);
    const auto movedSoFar
        = [&] { return songs.size() - QDir(folder.path()).entryList(QDir::Files).size(); };
    QTRY_VERIFY_WITH_TIMEOUT(movedSoFar() > 0, 30000);
    move.kill();
    QVERIFY(move.waitForFinished(10000));
    QCOMPARE(move.exitStatus(), QProcess::CrashExit);
    const qsizetype moved = movedSoFar();
    QVERIFY2(moved > 0 && moved < songs.size(), bytetree::tree(path).join(", ").constData());

    const ArveloRun preview = runArvelo({"--undo", path, "--dry-run"}, environment);
    QCOMPARE(preview.exitCode, 0);
    QCOMPARE(preview.out.count('\n'), moved);
    const ArveloRun undo = runArvelo({"--undo", path}, environment);
    QCOMPARE(undo.err, QByteArray());
    QCOMPARE(undo.exitCode, 0);
    QCOMPARE(bytetree::tree(path), before);
}

void TestCommandLine::moveKeepsItsJournal_data()
{
    QTest::addColumn<QByteArrayList>("arguments"); // before the folder
    QTest::addColumn<QStringList>("environment"); // "@" stands for the test's own folder
    QTest::addColumn<QString>("reason"); // why the files that stayed did; empty when all moved
    // What the test's folder holds afterwards, less the songs; "J" stands for a journal, "L" for
    // the lock of the folder's passes.
    QTest::addColumn<QByteArrayList>("after");

    const QByteArrayList written {
        "home/", "state/", "state/arvelo/", "state/arvelo/J", "state/arvelo/L"};
    QTest::newRow("journal private under umask 000")
        << QByteArrayList {"--move"} << QStringList {u"XDG_STATE_HOME=@/state"_s} << QString()
        << written;
    // A relative path is no base folder: the home's default stands in.
    QTest::newRow("relative XDG_STATE_HOME ignored")
        << QByteArrayList {"--move"} << QStringList {u"XDG_STATE_HOME=state"_s} << QString()
        << QByteArrayList {"home/", "home/.local/", "home/.local/state/",
               "home/.local/state/arvelo/", "home/.local/state/arvelo/J",
               "home/.local/state/arvelo/L", "state/"};
    QTest::newRow("dry run: no journal")
        << QByteArrayList {"--move", "--dry-run"} << QStringList {u"XDG_STATE_HOME=@/state"_s}
        << QString() << QByteArrayList {"home/", "state/"};
    // Records that may not be on the disk cannot promise an undo.
    const QString shim = u"LD_PRELOAD=" ARVELO_JOURNAL_DISK ""_s;
    QTest::newRow("failed flush stops the move")
        << QByteArrayList {"--move"}
        << QStringList {u"XDG_STATE_HOME=@/state"_s, shim, u"ARVELO_DISK_FAULT=flush"_s}
        << u"The move could not be written down to be taken back later"_s << written;
    // Zeros made ahead of the records later never go over records written meanwhile.
    QTest::newRow("room refused once")
        << QByteArrayList {"--move"}
        << QStringList {u"XDG_STATE_HOME=@/state"_s, shim, u"ARVELO_DISK_FAULT=fill once"_s}
        << QString() << written;
}

void TestCommandLine::moveKeepsItsJournal()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QString, reason);
    QFETCH(QByteArrayList, after);
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    for (const char *folder : {"songs", "home", "state"})
        QCOMPARE(::mkdir(root + '/' + folder, 0777), 0);
    // Enough for the pass to write its journal more than once.
    constexpr int Songs = 2000;
    for (int song = 0; song < Songs; ++song)
        QVERIFY(bytetree::makeFile(root + "/songs/Zeta - " + QByteArray::number(song)));
    environment.append(u"HOME=@/home"_s);
    environment.replaceInStrings(u"@"_s, dir.path());

    QProcess program;
    program.setWorkingDirectory(dir.path());
    const mode_t mask = ::umask(0);
    startArvelo(program, arguments << root + "/songs", environment);
    ::umask(mask);
    QVERIFY(program.waitForFinished(60000));
    const QByteArray error = program.readAllStandardError();
    const auto stayed = qsizetype(QDir(dir.filePath(u"songs"_s)).entryList(QDir::Files).size());
    if (reason.isEmpty()) {
        QCOMPARE(error, QByteArray());
        QCOMPARE(program.exitCode(), 0);
    } else {
        QVERIFY2(stayed > 0 && stayed < Songs, qPrintable(QString::number(stayed)));
        QVERIFY2(error.startsWith(u"%1 files stayed where they were.\n\n%2: %1\n\n"_s.arg(stayed)
                                      .arg(reason)
                                      .toUtf8()),
            error.constData());
        QCOMPARE(program.exitCode(), 1);
    }
    QByteArrayList left;
    for (QByteArray entry : bytetree::tree(root)) {
        if (entry.startsWith("songs/"))
            continue;
        if (const qsizetype end = entry.indexOf(".journal="); end > 0) {
            struct stat info
            { };
            QCOMPARE(::stat(root + '/' + entry.left(end + 8), &info), 0);
            QCOMPARE(info.st_mode & 07777, mode_t(0600));
            entry = entry.left(entry.lastIndexOf('/', end) + 1) + 'J';
        } else if (const qsizetype lock = entry.indexOf(".lock="); lock > 0) {
            entry = entry.left(entry.lastIndexOf('/', lock) + 1) + 'L';
        }
        left.append(entry);
    }
    QCOMPARE(left, after);
    // Whatever moved comes back.
    environment.removeIf([](const QString &variable) { return variable.startsWith(u"LD_"_s); });
    startArvelo(program, {"--undo", root + "/songs"}, environment);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(QDir(dir.filePath(u"songs"_s)).entryList(QDir::Files).size(), Songs);
}

void TestCommandLine::undoSaysWhyFilesStay_data()
{
    // After the move: "a>b" renames a to b, "+a" makes a new file a.
    QTest::addColumn<QStringList>("meddling");
    QTest::addColumn<QString>("reason");
    QTest::newRow("moved file renamed since") << QStringList {u"Zeta/Zeta - a>Zeta/a2"_s}
                                              << u"The file is no longer in the artist's folder"_s;
    QTest::newRow("new file under the old name")
        << QStringList {u"+Zeta - a"_s} << u"A file of that name is in the selected folder"_s;
    QTest::newRow("another file under the moved name") << QStringList {u"Zeta/Zeta - a>Zeta/a2"_s,
        u"+Zeta/Zeta - a"_s} << u"The file in the artist's folder is another file now"_s;
}

void TestCommandLine::undoSaysWhyFilesStay()
{
    QFETCH(QStringList, meddling);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    QCOMPARE(bytetree::make(folder, {"Zeta - a", "Zeta - b"}), QByteArray());
    QCOMPARE(runArvelo({"--move", folder}).exitCode, 0);
    for (const QString &step : std::as_const(meddling)) {
        const QByteArray at = folder + '/' + QFile::encodeName(step.section(u'>', 0, 0));
        if (step.startsWith(u'+'))
            QVERIFY(bytetree::makeFile(folder + '/' + QFile::encodeName(step.mid(1)), "new"));
        else
            QCOMPARE(::rename(at, folder + '/' + QFile::encodeName(step.section(u'>', 1))), 0);
    }

    const ArveloRun undo = runArvelo({"--undo", folder});
    QCOMPARE(undo.err,
        u"1 file stayed where it was.\n\n%1: 1\n\nZeta/Zeta - a\n"_s.arg(reason).toUtf8());
    QCOMPARE(undo.exitCode, 1);
    // The other file went back all the same.
    QVERIFY(QFile::exists(dir.filePath(u"Zeta - b"_s)));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
