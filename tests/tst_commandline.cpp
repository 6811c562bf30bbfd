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

// The built program run as a user runs it; the folder it opens the window on is
// tst_start_folder's.
class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString at(const QString &relative) const { return m_base.path() + u'/' + relative; }
    QByteArray songs() const { return QFile::encodeName(at(u"songs"_s)); }
    // The songs folder as made; no verb but --move may change it.
    QByteArrayList m_songs;

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        QCOMPARE(bytetree::make(m_base.path(),
                     {u"music/Mira Vell/"_s, u"locked/"_s, u"listed only/"_s, u"song.mp3"_s}),
            QByteArray());
        QVERIFY(QFile::setPermissions(at(u"locked"_s), {}));
        QVERIFY(QFile::setPermissions(at(u"listed only"_s), QFile::ReadOwner));
        // Two artists, one of them spelt in Latin-1 bytes, which are not UTF-8.
        QCOMPARE(bytetree::make(
                     songs(), {"Caf\xe9 - One.mp3", "CAF\xe9 - Two.mp3", "Zeta - a", "ZETA - b"}),
            QByteArray());
        m_songs = bytetree::tree(songs(), true);
    }

    void cleanupTestCase()
    {
        bytetree::removeTree(songs()); // Qt would not see the names that are not UTF-8
        QVERIFY(QFile::setPermissions(
            at(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // With no display at all: had the program built its application object, Qt would abort.
    void builtProgramAnswersWithoutAWindow_data()
    {
        // Relative to the base; "songs" stands for the songs folder, reached by its full path.
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output"); // all of standard output
        QTest::addColumn<QByteArray>("error"); // the start of standard error

        const auto row = [](const char *tag, const QByteArrayList &arguments, int exitCode,
                             const QByteArray &output, const QByteArray &error = {}) {
            QTest::newRow(tag) << arguments << exitCode << output << error;
        };
        const QByteArray version = "Arvelo " ARVELO_VERSION "\n";
        const QByteArray help
            = readCommandLine({u"arvelo"_s, u"--help"_s}, {}).standardOutput.toLocal8Bit();
        const QByteArray at = QFile::encodeName(m_base.path()) + '/';
        row("--version", {"--version"}, 0, version);
        row("-v", {"-v"}, 0, version);
        row("--help", {"--help"}, 0, help);
        row("-h beside a folder", {"-h", "music"}, 0, help);
        row("missing folder", {"nowhere"}, 2, {}, cannotOpen("nowhere", ENOENT).toUtf8());
        row("listed, not entered", {"listed only"}, 2, {},
            cannotOpen("listed only", EACCES).toUtf8());
        row("empty folder name", {""}, 2, {}, cannotOpen("", ENOENT).toUtf8());
        const QByteArray usage = "\nUsage: arvelo [options] [FOLDER]\n";
        row("two folders", {"music", "music/Mira Vell"}, 2, {},
            "arvelo: only one folder can be opened, 2 were given" + usage);
        row("unknown option", {"--frobnicate"}, 2, {},
            "arvelo: Unknown option 'frobnicate'." + usage);
        row("unknown short option", {"-x"}, 2, {}, "arvelo: Unknown option 'x'." + usage);
        row("Qt option without its value", {"-style"}, 2, {},
            "arvelo: Missing value after '-style'." + usage);

        // Printed names are the names' bytes; arguments reach the program as bytes too.
        row("scan, NUL-ended", {"--scan", "-0", "songs"}, 0, QByteArray("Caf\xe9\0Zeta\0", 10));
        row("songs of an artist named in Latin-1", {"--songs", "Caf\xe9", "--null", "songs"}, 0,
            QByteArray("One.mp3\0Two.mp3\0", 16));
        row("plan of that artist alone", {"--move", "--dry-run", "--only", "Caf\xe9", "songs"}, 0,
            "Caf\xe9/\nCaf\xe9 - One.mp3 -> Caf\xe9/Caf\xe9 - One.mp3\n"
            "CAF\xe9 - Two.mp3 -> Caf\xe9/CAF\xe9 - Two.mp3\n");
        row("an artist struck", {"--scan", "--except", "Zeta", "songs"}, 0, "Caf\xe9\n");
        row("letter case kept: no artist twice", {"--scan", "--keep-case", "songs"}, 0, {});

        // Bad input changes nothing and says why; an artist that Scan does not list is never
        // taken to mean every artist.
        row("unknown artist to --only", {"--move", "--only", "Zet", "songs"}, 2, {},
            "arvelo: \"Zet\" is not an artist that Scan lists in \"" + at + "songs\"\n");
        row("unknown artist to --except", {"--move", "--except", "Caf", "songs"}, 2, {},
            "arvelo: \"Caf\" is");
        row("unknown artist to --songs", {"--songs", "Zeta - a", "songs"}, 2, {},
            "arvelo: \"Zeta - a\" is");
        row("artist struck by its key", {"--move", "--except", "ZETA", "songs"}, 2, {},
            "arvelo: \"ZETA\" is");
        row("verb without a folder", {"--move"}, 2, {}, "arvelo: --move needs a FOLDER\n");
        row("verb on a file", {"--move", at + "song.mp3"}, 2, {},
            cannotOpen((at + "song.mp3").constData(), ENOTDIR).toUtf8());
        row("verb on an unreadable folder", {"--scan", at + "locked"}, 2, {},
            cannotOpen((at + "locked").constData(), EACCES).toUtf8());
        row("verb on two folders", {"--move", "songs", at + "music"}, 2, {},
            "arvelo: only one folder can be opened");
        row("two verbs", {"--scan", "--move", "songs"}, 2, {},
            "arvelo: --scan and --move cannot be given together\n");
        row("option of another verb", {"--scan", "--dry-run", "songs"}, 2, {},
            "arvelo: --dry-run works only with --move or --undo\n");
        row("verb option without a verb", {"--only", "Zeta", "songs"}, 2, {},
            "arvelo: --only works only with --scan or --move\n");
        row("unknown option of a verb", {"--move", "--everything", "songs"}, 2, {},
            "arvelo: Unknown option 'everything'.\n");
    }

    void builtProgramAnswersWithoutAWindow()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, error);
        const QByteArrayView tag(QTest::currentDataTag());
        if (tag == "verb on an unreadable folder" && ::geteuid() == 0)
            QSKIP("root reads every folder");
        std::ranges::replace(arguments, QByteArray("songs"), songs());
        QString binary = QString::fromUtf8(ARVELO_BINARY);
        // Root enters every folder: the folder's owner, unprivileged, runs a copy it can reach.
        if (tag == "listed, not entered" && ::geteuid() == 0) {
            const QString copy = at(u"arvelo"_s);
            QVERIFY(::chmod(QFile::encodeName(m_base.path()), 0711) == 0
                && ::chown(QFile::encodeName(at(u"listed only"_s)), 65534, 65534) == 0);
            QVERIFY(QFile::copy(binary, copy) && ::chmod(QFile::encodeName(copy), 0755) == 0);
            arguments = QByteArrayList {"--reuid=65534", "--regid=65534", "--clear-groups",
                            QFile::encodeName(copy)}
                + arguments;
            binary = u"setpriv"_s;
        }

        const ArveloRun run = runArvelo(arguments, {}, m_base.path(), binary);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, output);
        QVERIFY2(
            error.isEmpty() ? run.err.isEmpty() : run.err.startsWith(error), run.err.constData());
        if (arguments.contains("--help") || arguments.contains("-h")) {
            QVERIFY(run.out.startsWith("Usage: arvelo [options] [FOLDER]\n"));
            for (const char *part : {"--help", "--version", "FOLDER", "\nExamples:\n"})
                QVERIFY2(run.out.contains(part), run.out.constData());
        }
        QCOMPARE(bytetree::tree(songs(), true), m_songs);
    }

    void builtProgramStartsOnAFolder()
    {
        // A usable folder opens the window and the program keeps running until it is closed.
        QProcess program;
        startArvelo(program, {QFile::encodeName(at(u"music"_s))}, {u"QT_QPA_PLATFORM=offscreen"_s});
        QVERIFY(program.waitForStarted());
        QVERIFY2(!program.waitForFinished(1500), program.readAllStandardError().constData());
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }

    // On the slow disk a move is stopped a few files in: by a signal it ends between two files and
    // says how far it got; killed, it has no chance to clean up. Either way the undo takes back
    // whatever moved.
    void stoppedMoveIsTakenBack_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl+C") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("output closed") << SIGPIPE; // by `| head -1`
        QTest::newRow("killed") << SIGKILL;
    }

    void stoppedMoveIsTakenBack()
    {
        QFETCH(int, signal);
        QTemporaryDir dir, state;
        const QByteArray folder = QFile::encodeName(dir.path());
        QByteArrayList names;
        for (int k = 0; k < 60; ++k)
            names.append(
                "Artist " + QByteArray::number(k / 15) + " - " + QByteArray::number(k % 15));
        QCOMPARE(bytetree::make(folder, names), QByteArray());
        const QByteArrayList before = bytetree::tree(folder);
        std::ranges::sort(names);
        const auto moved = [&] {
            QByteArrayList files = bytetree::tree(folder);
            files.removeIf([](const QByteArray &file) { return !file.contains("/A"); });
            return files;
        };
        const QStringList environment {u"XDG_STATE_HOME="_s + state.path()};

        QProcess program;
        if (signal == SIGPIPE) {
            // The reader goes after the first line; the shell tells how the program ended.
            startArvelo(program,
                {"-c", "\"$0\" --move --verbose \"$1\" | head -1; exit ${PIPESTATUS[0]}",
                    ARVELO_BINARY, folder},
                environment + slowDisk, u"/bin/bash"_s);
        } else {
            startArvelo(program, {"--move", "--verbose", folder}, environment + slowDisk);
            QTRY_VERIFY_WITH_TIMEOUT(moved().size() >= 3, 30000);
            QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        }
        QVERIFY(program.waitForFinished(30000));
        const QByteArrayList inFolders = moved();
        QVERIFY2(!inFolders.isEmpty() && inFolders.size() < names.size(),
            bytetree::tree(folder).join(", ").constData());
        if (signal == SIGKILL) {
            QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        } else {
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 130);
            // Every file whole, either in its artist's folder or where it was.
            const bytetree::Files files = bytetree::files(folder);
            for (const auto &[path, data] : files)
                QCOMPARE(path.sliced(path.lastIndexOf('/') + 1), data);
            QCOMPARE(bytetree::held(files), names);
            // What it says moved is what the disk shows moved, and no more.
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

        const ArveloRun preview = runArvelo({"--undo", folder, "--dry-run"}, environment);
        QCOMPARE(preview.exitCode, 0);
        QCOMPARE(preview.out.count('\n'), inFolders.size());
        const ArveloRun undo = runArvelo({"--undo", folder}, environment);
        QCOMPARE(undo.err, QByteArray());
        QCOMPARE(undo.exitCode, 0);
        QCOMPARE(bytetree::tree(folder), before);
    }

    void moveKeepsItsJournal_data()
    {
        QTest::addColumn<QByteArrayList>("arguments"); // before the folder
        QTest::addColumn<QStringList>("environment"); // "@" stands for the test's own folder
        QTest::addColumn<QString>("reason"); // why the files that stayed did; empty when all moved
        // What the test's folder holds afterwards, less the songs; "J" stands for a journal, "L"
        // for the lock of the folder's passes.
        QTest::addColumn<QByteArrayList>("after");

        const auto row
            = [](const char *tag, const QByteArrayList &arguments, const QStringList &environment,
                  const QString &reason, const QByteArrayList &after) {
                  QTest::newRow(tag) << arguments << environment << reason << after;
              };
        const QByteArrayList written {
            "home/", "state/", "state/arvelo/", "state/arvelo/J", "state/arvelo/L"};
        const QString state = u"XDG_STATE_HOME=@/state"_s;
        row("journal private under umask 000", {"--move"}, {state}, {}, written);
        // A relative path is no base folder: the home's default stands in.
        row("relative XDG_STATE_HOME ignored", {"--move"}, {u"XDG_STATE_HOME=state"_s}, {},
            {"home/", "home/.local/", "home/.local/state/", "home/.local/state/arvelo/",
                "home/.local/state/arvelo/J", "home/.local/state/arvelo/L", "state/"});
        row("dry run: no journal", {"--move", "--dry-run"}, {state}, {}, {"home/", "state/"});
        // Records that may not be on the disk cannot promise an undo.
        const QString shim = u"LD_PRELOAD=" ARVELO_JOURNAL_DISK ""_s;
        row("failed flush stops the move", {"--move"}, {state, shim, u"ARVELO_DISK_FAULT=flush"_s},
            u"The move could not be written down to be taken back later"_s, written);
        // Zeros made ahead of the records later never go over records written meanwhile.
        row("room refused once", {"--move"}, {state, shim, u"ARVELO_DISK_FAULT=fill once"_s}, {},
            written);
    }

    void moveKeepsItsJournal()
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

        const mode_t mask = ::umask(0);
        const ArveloRun run = runArvelo(arguments << root + "/songs", environment, dir.path());
        ::umask(mask);
        const auto stayed = qsizetype(QDir(dir.filePath(u"songs"_s)).entryList(QDir::Files).size());
        if (reason.isEmpty()) {
            QCOMPARE(run.err, QByteArray());
            QCOMPARE(run.exitCode, 0);
        } else {
            QVERIFY2(stayed > 0 && stayed < Songs, qPrintable(QString::number(stayed)));
            QVERIFY2(
                run.err.startsWith(u"%1 files stayed where they were.\n\n%2: %1\n\n"_s.arg(stayed)
                                       .arg(reason)
                                       .toUtf8()),
                run.err.constData());
            QCOMPARE(run.exitCode, 1);
        }
        QByteArrayList left;
        for (QByteArray entry : bytetree::tree(root)) {
            if (entry.startsWith("songs/"))
                continue;
            if (const qsizetype end = entry.indexOf(".journal="); end > 0) {
                struct stat info = {};
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
        QVERIFY(runArvelo({"--undo", root + "/songs"}, environment).exitCode != -1);
        QCOMPARE(QDir(dir.filePath(u"songs"_s)).entryList(QDir::Files).size(), Songs);
    }

    // Files whose names changed since the move stay where they are, each with its reason; the
    // others go back all the same.
    void undoSaysWhyFilesStay()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QCOMPARE(
            bytetree::make(folder, {"Zeta - a", "Zeta - b", "Zeta - c", "Zeta - d"}), QByteArray());
        QCOMPARE(runArvelo({"--move", folder}).exitCode, 0);
        // A new file under one's old name; one renamed in its artist's folder; one renamed
        // there and another file put under its name.
        QVERIFY(bytetree::makeFile(folder + "/Zeta - a", "new"));
        QCOMPARE(::rename(folder + "/Zeta/Zeta - b", folder + "/Zeta/b2"), 0);
        QCOMPARE(::rename(folder + "/Zeta/Zeta - c", folder + "/Zeta/c2"), 0);
        QVERIFY(bytetree::makeFile(folder + "/Zeta/Zeta - c", "new"));

        // Named as the undo met them, last moved first.
        const ArveloRun undo = runArvelo({"--undo", folder});
        QCOMPARE(undo.err,
            "3 files stayed where they were.\n\n"
            "A file of that name is in the selected folder: 1\n"
            "The file is no longer in the artist's folder: 1\n"
            "The file in the artist's folder is another file now: 1\n\n"
            "Zeta/Zeta - c\nZeta/Zeta - b\nZeta/Zeta - a\n");
        QCOMPARE(undo.exitCode, 1);
        QVERIFY(QFile::exists(dir.filePath(u"Zeta - d"_s)));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
