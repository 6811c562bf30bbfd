#include "CommandLine.h"

#include "core/MoveReport.h"
#include "core/NameCodec.h"
#include "core/UndoPass.h"

#include <QCommandLineParser>
#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// Command-line bytes and folder names meet the system here, and only here: the arguments are
// decoded in fromArgument, the folder is encoded again in systemName for the check below.
// Both must stay each other's inverse, so that a name is checked exactly as it was typed.
QString fromArgument(const char *argument)
{
    return decodeName(argument);
}

QByteArray systemName(const QString &folder)
{
    return encodeName(folder);
}

// The error number that keeps the window from listing folder, or 0 when it can.
int folderError(const QString &folder)
{
    if (folder.isEmpty())
        return ENOENT;
    const QByteArray name = systemName(folder);
    DIR *dir = ::opendir(name.constData());
    if (!dir)
        return errno;
    ::closedir(dir);
    // Reading the entries' types needs search permission, which opendir does not ask for.
    return ::access(name.constData(), X_OK) == 0 ? 0 : errno;
}

// QApplication reads these options itself later; they must not count as unknown here.
struct QtOption
{
    const char16_t *name;
    bool takesValue;
};
constexpr QtOption qtOptions[] = {
    {u"platform", true},
    {u"platformpluginpath", true},
    {u"platformtheme", true},
    {u"plugin", true},
    {u"display", true},
    {u"qwindowgeometry", true},
    {u"geometry", true},
    {u"qwindowicon", true},
    {u"qwindowtitle", true},
    {u"title", true},
    {u"style", true},
    {u"stylesheet", true},
    {u"session", true},
    {u"reverse", false},
    {u"widgetcount", false},
    {u"nograb", false},
    {u"dograb", false},
};

const QString usageLine = u"Usage: arvelo [options] [FOLDER]\n"_s;

StartUp startOn(const QString &folder)
{
    StartUp start;
    start.folder = folder;
    return start;
}

StartUp endWith(int exitCode, const QString &output, const QString &error = {})
{
    StartUp start;
    start.exitCode = exitCode;
    start.standardOutput = output;
    start.standardError = error;
    return start;
}

StartUp usageError(const QString &problem)
{
    return endWith(UsageExitCode, {},
        u"arvelo: %1\n%2Try 'arvelo --help' for more information.\n"_s.arg(problem, usageLine));
}

// Takes back the last move in folder, or with dryRun only says what would go back. Exits as a
// move does: 0 when every file went back, 1 when some stayed, 2 when there is nothing to do.
StartUp undoLastMove(const QString &folder, bool dryRun)
{
    const std::unique_ptr<UndoPass> preview = nextUndo(folder);
    if (preview->folderError() != 0) {
        return endWith(UsageExitCode, {},
            u"arvelo: cannot open folder \"%1\": %2\n"_s.arg(displayName(folder),
                QString::fromLocal8Bit(std::strerror(preview->folderError()))));
    }
    if (!preview->found()) {
        return endWith(UsageExitCode, {},
            u"arvelo: There is no move to undo in \"%1\".\n"_s.arg(displayName(folder)));
    }
    std::optional<UndoPass> undo;
    if (!dryRun)
        undo.emplace(folder).step();
    const UndoPass &pass = undo ? *undo : *preview;
    QString output;
    for (const QString &file : pass.movedBack())
        output += u"%1 \u2192 %2\n"_s.arg(displayName(file), displayName(file.section(u'/', 1)));
    const QString report = moveReport(pass.summary());
    return endWith(report.isEmpty() ? 0 : 1, dryRun ? output : QString(),
        report.isEmpty() ? QString() : report + u'\n');
}

} // namespace

QStringList argumentsOf(int argc, const char *const *argv)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(fromArgument(argv[i]));
    return arguments;
}

StartUp readCommandLine(const QStringList &arguments, const QString &currentFolder)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words, such as -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Music sort: files songs named \"Artist - Title\" into one folder per artist.\n"
        u"Nothing is overwritten, deleted or moved outside the chosen folder."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help and exits."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Displays the version and exits."_s);
    const QCommandLineOption undo(u"undo"_s,
        u"Moves the files of the last move in FOLDER back, and removes the folders it made."_s,
        u"FOLDER"_s);
    const QCommandLineOption dryRun(
        u"dry-run"_s, u"Prints what would be done, and changes nothing."_s);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(undo);
    parser.addOption(dryRun);
    parser.addPositionalArgument(u"FOLDER"_s,
        u"The folder to start in, chosen in the drive, folder and file lists "
        u"(default: the current folder)."_s,
        u"[FOLDER]"_s);
    for (const QtOption &qt : qtOptions) {
        QCommandLineOption option(QString::fromUtf16(qt.name));
        if (qt.takesValue)
            option.setValueName(u"value"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        // The parser names the program "<executable_name>" when no application object exists.
        return endWith(0, usageLine + parser.helpText().section(u'\n', 1));
    }
    if (parser.isSet(version))
        return endWith(0, u"Arvelo %1\n"_s.arg(QString::fromUtf8(ARVELO_VERSION)));

    const QStringList folders = parser.positionalArguments();
    if (parser.isSet(undo)) {
        if (!folders.isEmpty())
            return usageError(u"--undo takes one folder"_s);
        const QString given = parser.value(undo);
        return undoLastMove(
            given.isEmpty() ? given : QDir::cleanPath(QDir(currentFolder).absoluteFilePath(given)),
            parser.isSet(dryRun));
    }
    if (folders.size() > 1)
        return usageError(u"only one folder can be opened, %1 were given"_s.arg(folders.size()));
    if (folders.isEmpty())
        return startOn(currentFolder);
    const QString &given = folders.first();
    const QString folder
        = given.isEmpty() ? given : QDir::cleanPath(QDir(currentFolder).absoluteFilePath(given));
    if (const int error = folderError(folder)) {
        return endWith(UsageExitCode, {},
            u"arvelo: cannot open folder \"%1\": %2\n"_s.arg(
                given, QString::fromLocal8Bit(std::strerror(error))));
    }
    return startOn(folder);
}

void printMessages(const StartUp &start)
{
    const QByteArray output = start.standardOutput.toLocal8Bit();
    const QByteArray error = start.standardError.toLocal8Bit();
    std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
    std::fwrite(error.constData(), 1, size_t(error.size()), stderr);
    std::fflush(stdout);
}

} // namespace arvelo
