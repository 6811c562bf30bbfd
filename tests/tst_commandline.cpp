#include "CommandLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
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

} // namespace

// The command line read as a function, and the built program run as a user runs it.
class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString at(const QString &relative) const { return m_base.path() + u'/' + relative; }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readsTheArguments_data();
    void readsTheArguments();
    void builtProgramAnswersWithoutAWindow_data();
    void builtProgramAnswersWithoutAWindow();
    void builtProgramStartsOnAFolder();
};

void TestCommandLine::initTestCase()
{
    QVERIFY(m_base.isValid());
    for (const char *folder : {"music", "music/Mira Vell", "-dash folder", "locked", "listed only"})
        QVERIFY(QDir(m_base.path()).mkdir(QString::fromUtf8(folder)));
    QVERIFY(QFile(at(u"song.mp3"_s)).open(QIODevice::WriteOnly));
    QVERIFY(QFile::setPermissions(at(u"locked"_s), {}));
    QVERIFY(QFile::setPermissions(at(u"listed only"_s), QFile::ReadOwner));
}

void TestCommandLine::cleanupTestCase()
{
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

    const QString none;
    QTest::newRow("no folder") << QStringList {} << u"."_s << 0 << none << false;
    QTest::newRow("relative") << QStringList {u"music"_s} << u"music"_s << 0 << none << false;
    QTest::newRow("dots and a trailing slash") << QStringList {u"./music/../music/Mira Vell/"_s}
                                               << u"music/Mira Vell"_s << 0 << none << false;
    QTest::newRow("absolute") << QStringList {at(u"music"_s)} << u"music"_s << 0 << none << false;
    QTest::newRow("after --, a name like an option")
        << QStringList {u"--"_s, u"-dash folder"_s} << u"-dash folder"_s << 0 << none << false;
    QTest::newRow("Qt's own options pass")
        << QStringList {u"-platform"_s, u"offscreen"_s, u"-reverse"_s, u"music"_s} << u"music"_s
        << 0 << none << false;

    QTest::newRow("missing") << QStringList {u"nowhere"_s} << none << 2
                             << cannotOpen("nowhere", ENOENT) << false;
    QTest::newRow("a file") << QStringList {u"song.mp3"_s} << none << 2
                            << cannotOpen("song.mp3", ENOTDIR) << false;
    QTest::newRow("empty") << QStringList {u""_s} << none << 2 << cannotOpen("", ENOENT) << false;
    QTest::newRow("unreadable") << QStringList {u"locked"_s} << none << 2
                                << cannotOpen("locked", EACCES) << false;
    QTest::newRow("two folders") << QStringList {u"music"_s, u"music"_s} << none << 2
                                 << u"arvelo: only one folder can be opened, 2 were given"_s
                                 << true;
    QTest::newRow("unknown long option")
        << QStringList {u"--sort-everything"_s, u"music"_s} << none << 2
        << u"arvelo: Unknown option 'sort-everything'."_s << true;
    QTest::newRow("unknown short option")
        << QStringList {u"-x"_s} << none << 2 << u"arvelo: Unknown option 'x'."_s << true;
    QTest::newRow("Qt option without its value")
        << QStringList {u"-style"_s} << none << 2 << u"arvelo: Missing value after '-style'."_s
        << true;
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
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the start of standard output
    QTest::addColumn<QString>("error"); // the start of standard error

    const QString usage = u"Usage: arvelo [options] [FOLDER]\n"_s;
    const QString version = u"Arvelo %1\n"_s.arg(QLatin1StringView(ARVELO_VERSION));
    QTest::newRow("--version") << QStringList {u"--version"_s} << 0 << version << QString();
    QTest::newRow("-v") << QStringList {u"-v"_s} << 0 << version << QString();
    QTest::newRow("--help") << QStringList {u"--help"_s} << 0 << usage << QString();
    QTest::newRow("-h beside a folder")
        << QStringList {u"-h"_s, u"music"_s} << 0 << usage << QString();
    QTest::newRow("missing folder")
        << QStringList {u"nowhere"_s} << 2 << QString() << cannotOpen("nowhere", ENOENT);
    QTest::newRow("listed, not entered")
        << QStringList {u"listed only"_s} << 2 << QString() << cannotOpen("listed only", EACCES);
    QTest::newRow("two folders") << QStringList {u"music"_s, u"music/Mira Vell"_s} << 2 << QString()
                                 << u"arvelo: only one folder"_s;
    QTest::newRow("unknown option") << QStringList {u"--frobnicate"_s} << 2 << QString()
                                    << u"arvelo: Unknown option 'frobnicate'.\n"_s + usage;
}

void TestCommandLine::builtProgramAnswersWithoutAWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, error);

    // No display at all: had the program built its application object, Qt would abort.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(m_base.path());
    QString binary = QString::fromUtf8(ARVELO_BINARY);
    // Root enters every folder: the folder's owner, unprivileged, runs a copy it can reach.
    if (QByteArrayView(QTest::currentDataTag()) == "listed, not entered" && ::geteuid() == 0) {
        const QString copy = at(u"arvelo"_s);
        QVERIFY(::chmod(QFile::encodeName(m_base.path()), 0711) == 0
            && ::chown(QFile::encodeName(at(u"listed only"_s)), 65534, 65534) == 0);
        QVERIFY(QFile::copy(binary, copy) && ::chmod(QFile::encodeName(copy), 0755) == 0);
        arguments = QStringList {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, copy}
            + arguments;
        binary = u"setpriv"_s;
    }
    program.start(binary, arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    // What is expected on one stream starts it; the other stays silent.
    QVERIFY2(output.isEmpty() ? out.isEmpty() : out.startsWith(output), qPrintable(out));
    QVERIFY2(error.isEmpty() ? err.isEmpty() : err.startsWith(error), qPrintable(err));
    if (output == u"Usage: arvelo [options] [FOLDER]\n"_s) {
        for (const QString &option : {u"--help"_s, u"--version"_s, u"FOLDER"_s})
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

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
