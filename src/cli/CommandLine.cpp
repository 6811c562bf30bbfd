#include "cli/CommandLine.h"

#include "cli/Verbs.h"
#include "core/NameCodec.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <variant>

#include <dirent.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// The error number that keeps the window from listing folder, or 0 when it can.
int folderError(const QString &folder)
{
    if (folder.isEmpty())
        return ENOENT;
    // Encoded as the arguments were decoded (argumentsOf), so it is checked exactly as typed.
    const QByteArray name = encodeName(folder);
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

// The verbs run without a window on the FOLDER that follows them; each is one row here and
// one run function. Settings are the options a verb accepts.
enum Setting : unsigned {
    KeepSpaces = 1U << 0,
    KeepCase = 1U << 1,
    AsWritten = 1U << 2,
    FilesOnly = 1U << 3,
    Except = 1U << 4,
    Only = 1U << 5,
    DryRun = 1U << 6,
    Verbose = 1U << 7,
    Null = 1U << 8,
};
constexpr unsigned ScanSettings = KeepSpaces | KeepCase | FilesOnly | Except | Only | Null;

struct Verb
{
    const char16_t *name;
    const char16_t *valueName; // nullptr for a verb without a value of its own
    const char16_t *description;
    VerbRun run;
    unsigned settings;
};
constexpr Verb verbs[] = {
    {u"scan", nullptr, u"Prints the artists that Scan lists, one per line, in the list's order.",
        runScan, ScanSettings},
    {u"songs", u"ARTIST", u"Prints the songs that the song view shows for the listed ARTIST.",
        runSongs, KeepSpaces | KeepCase | FilesOnly | Null},
    {u"move", nullptr,
        u"Scans, then moves the files of every listed artist into the artist's folder, as Move "
        u"does.",
        runMove, ScanSettings | AsWritten | DryRun | Verbose},
    {u"undo", nullptr,
        u"Moves the files of the last move in FOLDER back, and removes the folders it made.",
        runUndo, DryRun | Null},
};

struct SettingOption
{
    Setting setting;
    const char16_t *shortName; // nullptr when there is none
    const char16_t *name;
    const char16_t *valueName; // nullptr for a switch
    const char16_t *description;
};
constexpr SettingOption settingOptions[] = {
    {KeepSpaces, nullptr, u"keep-spaces", nullptr,
        u"Blanks count when artists are compared (\"Overlook spaces\" off)."},
    {KeepCase, nullptr, u"keep-case", nullptr,
        u"Letter case counts when artists are compared (\"Convert to Upercase\" off)."},
    {AsWritten, nullptr, u"as-written", nullptr,
        u"Folders are named as the artist's first file writes it (\"Beautify folder names\" "
        u"off)."},
    {FilesOnly, nullptr, u"files-only", nullptr,
        u"Sub-folders are not compared with the files (\"Scan folders names\" off)."},
    {Except, nullptr, u"except", u"ARTIST",
        u"Strikes a listed artist, as \"Remove artist from list\" does; may be repeated."},
    {Only, nullptr, u"only", u"ARTIST", u"Keeps only the listed artists named; may be repeated."},
    {DryRun, nullptr, u"dry-run", nullptr,
        u"With --move: prints the plan, one line per folder to be created (\"Folder/\") and "
        u"per file (\"Name -> Folder/Name\"), and changes nothing. With --undo: prints what "
        u"would go back."},
    {Verbose, nullptr, u"verbose", nullptr,
        u"With --move: prints the same lines for every folder made and file moved."},
    {Null, u"0", u"null", nullptr, u"Ends every printed name with NUL instead of a new line."},
};

const QString usageLine = u"Usage: arvelo [options] [FOLDER]\n"
                          u"       arvelo --scan | --songs ARTIST | --move [options] FOLDER\n"_s;

const QString examples = u"\nExamples:\n"
                         u"  arvelo --move --dry-run ~/Music/Unsorted\n"
                         u"      Shows what a move would do, and changes nothing.\n"
                         u"  arvelo --move ~/Music/Unsorted\n"
                         u"      Scans, then moves the songs of every listed artist.\n"
                         u"  arvelo --move --only 'Mira Vell' ~/Music/Unsorted\n"
                         u"      Moves the songs of one listed artist alone.\n"_s;

QString optionName(const char16_t *name)
{
    return u"--"_s + QString::fromUtf16(name);
}

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

// The folder typed, made absolute from currentFolder; an exit when it cannot be listed.
std::variant<QString, StartUp> folderFrom(const QString &given, const QString &currentFolder)
{
    QString folder = given.isEmpty() ? given : QDir(currentFolder).absoluteFilePath(given);
    // ".." leads where the system takes it: after a link, to the parent of the link's target,
    // which a cleaning of the text would miss.
    if (folder.split(u'/').contains(u".."_s)) {
        if (char *real = ::realpath(encodeName(folder).constData(), nullptr)) {
            folder = decodeName(real);
            std::free(real);
        }
    }
    folder = QDir::cleanPath(folder);
    if (const int error = folderError(folder)) {
        return endWith(UsageExitCode, {},
            u"arvelo: cannot open folder \"%1\": %2\n"_s.arg(
                given, QString::fromLocal8Bit(std::strerror(error))));
    }
    return folder;
}

} // namespace

QStringList argumentsOf(int argc, const char *const *argv)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(decodeName(argv[i]));
    return arguments;
}

StartUp readCommandLine(const QStringList &arguments, const QString &currentFolder)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words, such as -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Music sort: files songs named \"Artist - Title\" into one folder per artist.\n"
        u"Nothing is overwritten, deleted or moved outside the chosen folder.\n"
        u"Without a verb it opens its window; a verb works without one."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help and exits."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Displays the version and exits."_s);
    parser.addOption(help);
    parser.addOption(version);
    QList<QCommandLineOption> verbOptions;
    for (const Verb &verb : verbs) {
        verbOptions.append(QCommandLineOption(
            QString::fromUtf16(verb.name), QString::fromUtf16(verb.description)));
        if (verb.valueName)
            verbOptions.last().setValueName(QString::fromUtf16(verb.valueName));
        parser.addOption(verbOptions.last());
    }
    QList<QCommandLineOption> settings;
    for (const SettingOption &setting : settingOptions) {
        QStringList names {QString::fromUtf16(setting.name)};
        if (setting.shortName)
            names.prepend(QString::fromUtf16(setting.shortName));
        settings.append(QCommandLineOption(names, QString::fromUtf16(setting.description)));
        if (setting.valueName)
            settings.last().setValueName(QString::fromUtf16(setting.valueName));
        parser.addOption(settings.last());
    }
    parser.addPositionalArgument(u"FOLDER"_s,
        u"The folder to start in, chosen in the drive, folder and file lists "
        u"(default: the current folder); the folder a verb works on."_s,
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
        return endWith(0, usageLine + parser.helpText().section(u'\n', 1) + examples);
    }
    if (parser.isSet(version))
        return endWith(0, u"Arvelo %1\n"_s.arg(QString::fromUtf8(ARVELO_VERSION)));

    const Verb *verb = nullptr;
    for (qsizetype i = 0; i < verbOptions.size(); ++i) {
        if (!parser.isSet(verbOptions.at(i)))
            continue;
        if (verb) {
            return usageError(u"%1 and %2 cannot be given together"_s.arg(
                optionName(verb->name), optionName(verbs[i].name)));
        }
        verb = &verbs[i];
    }
    for (qsizetype i = 0; i < settings.size(); ++i) {
        const SettingOption &setting = settingOptions[i];
        if (!parser.isSet(settings.at(i)) || (verb && (verb->settings & setting.setting)))
            continue;
        QStringList takers;
        for (const Verb &other : verbs) {
            if (other.settings & setting.setting)
                takers.append(optionName(other.name));
        }
        return usageError(
            u"%1 works only with %2"_s.arg(optionName(setting.name), takers.join(u" or "_s)));
    }

    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return usageError(u"only one folder can be opened, %1 were given"_s.arg(folders.size()));
    if (folders.isEmpty()) {
        // A verb never works on a folder that was not named.
        if (verb)
            return usageError(u"%1 needs a FOLDER"_s.arg(optionName(verb->name)));
        return startOn(currentFolder);
    }
    std::variant<QString, StartUp> folder = folderFrom(folders.first(), currentFolder);
    if (StartUp *exit = std::get_if<StartUp>(&folder))
        return std::move(*exit);
    if (!verb)
        return startOn(std::get<QString>(folder));

    StartUp start;
    start.verb = verb->run;
    VerbRequest &request = start.request;
    request.folder = std::get<QString>(folder);
    if (verb->valueName)
        request.value = parser.value(QString::fromUtf16(verb->name));
    const auto option = [&settings](Setting setting) -> const QCommandLineOption & {
        const auto *row = std::ranges::find(settingOptions, setting, &SettingOption::setting);
        return settings.at(row - std::begin(settingOptions));
    };
    const auto isSet = [&](Setting setting) { return parser.isSet(option(setting)); };
    request.keyOptions
        = {.overlookSpaces = !isSet(KeepSpaces), .convertToUppercase = !isSet(KeepCase)};
    request.beautifyFolderNames = !isSet(AsWritten);
    request.withSubFolders = !isSet(FilesOnly);
    request.except = parser.values(option(Except));
    request.only = parser.values(option(Only));
    request.dryRun = isSet(DryRun);
    request.verbose = isSet(Verbose);
    request.end = isSet(Null) ? '\0' : '\n';
    return start;
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
