#include "cli/CommandLine.h"

#include "cli/Verbs.h"
#include "core/ListedFolder.h"
#include "core/NameCodec.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

// QApplication reads these options itself later; they must not count as unknown here.
const QStringList qtOptionsWithValue {u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s,
    u"plugin"_s, u"display"_s, u"qwindowgeometry"_s, u"geometry"_s, u"qwindowicon"_s,
    u"qwindowtitle"_s, u"title"_s, u"style"_s, u"stylesheet"_s, u"session"_s};
const QStringList qtSwitches {u"reverse"_s, u"widgetcount"_s, u"nograb"_s, u"dograb"_s};

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

// Adds an option by its names, the short one first, with what --help says of it.
void addOption(QCommandLineParser &parser, const char16_t *shortName, const char16_t *name,
    const char16_t *valueName, const char16_t *description)
{
    QStringList names {QString::fromUtf16(name)};
    if (shortName)
        names.prepend(QString::fromUtf16(shortName));
    QCommandLineOption option(names, QString::fromUtf16(description));
    if (valueName)
        option.setValueName(QString::fromUtf16(valueName));
    parser.addOption(option);
}

const char16_t *nameOf(Setting setting)
{
    return std::ranges::find(settingOptions, setting, &SettingOption::setting)->name;
}

StartUp usageError(const QString &problem)
{
    return {.exitCode = UsageExitCode,
        .standardError
        = u"arvelo: %1\n%2Try 'arvelo --help' for more information.\n"_s.arg(problem, usageLine)};
}

// A start on the folder typed, made absolute from currentFolder; an exit when the window could
// not list it.
StartUp startOnGiven(const QString &given, const QString &currentFolder)
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
    // Opened by the bytes the arguments were decoded from (argumentsOf), so it is checked exactly
    // as typed. Reading the entries' types needs search permission, which opening does not ask for.
    const UniqueFd dir = openChosenFolder(folder);
    if (!dir.isOpen() || ::faccessat(dir.get(), ".", X_OK, 0) != 0) {
        const int error = errno;
        return {.exitCode = UsageExitCode,
            .standardError = u"arvelo: cannot open folder \"%1\": %2\n"_s.arg(
                given, QString::fromLocal8Bit(std::strerror(error)))};
    }
    return {.folder = folder};
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
    addOption(parser, u"h", u"help", nullptr, u"Displays this help and exits.");
    addOption(parser, u"v", u"version", nullptr, u"Displays the version and exits.");
    for (const Verb &verb : verbs)
        addOption(parser, nullptr, verb.name, verb.valueName, verb.description);
    for (const SettingOption &setting : settingOptions)
        addOption(parser, setting.shortName, setting.name, setting.valueName, setting.description);
    parser.addPositionalArgument(u"FOLDER"_s,
        u"The folder to start in, chosen in the drive, folder and file lists "
        u"(default: the current folder); the folder a verb works on."_s,
        u"[FOLDER]"_s);
    for (QCommandLineOption qt : {QCommandLineOption(qtOptionsWithValue, QString(), u"value"_s),
             QCommandLineOption(qtSwitches)}) {
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    const auto isSet
        = [&parser](const char16_t *name) { return parser.isSet(QString::fromUtf16(name)); };

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (isSet(u"help")) {
        // The parser names the program "<executable_name>" when no application object exists.
        return {.standardOutput = usageLine + parser.helpText().section(u'\n', 1) + examples};
    }
    if (isSet(u"version"))
        return {.standardOutput = u"Arvelo %1\n"_s.arg(QString::fromUtf8(ARVELO_VERSION))};

    const Verb *verb = nullptr;
    for (const Verb &given : verbs) {
        if (!isSet(given.name))
            continue;
        if (verb) {
            return usageError(u"%1 and %2 cannot be given together"_s.arg(
                optionName(verb->name), optionName(given.name)));
        }
        verb = &given;
    }
    for (const SettingOption &setting : settingOptions) {
        if (!isSet(setting.name) || (verb && (verb->settings & setting.setting)))
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
        return {.folder = currentFolder};
    }
    StartUp start = startOnGiven(folders.first(), currentFolder);
    if (!start.folder || !verb)
        return start;

    // The verb runs instead of the window, on that folder.
    const auto isOn = [&isSet](Setting setting) { return isSet(nameOf(setting)); };
    return {.verb = verb->run,
        .request = {.folder = *start.folder,
            // Empty for a verb without a value; the last one given otherwise.
            .value = parser.value(QString::fromUtf16(verb->name)),
            .keyOptions
            = {.overlookSpaces = !isOn(KeepSpaces), .convertToUppercase = !isOn(KeepCase)},
            .beautifyFolderNames = !isOn(AsWritten),
            .withSubFolders = !isOn(FilesOnly),
            .except = parser.values(QString::fromUtf16(nameOf(Except))),
            .only = parser.values(QString::fromUtf16(nameOf(Only))),
            .dryRun = isOn(DryRun),
            .verbose = isOn(Verbose),
            .end = isOn(Null) ? '\0' : '\n'}};
}

void printMessages(const StartUp &start)
{
    std::fputs(qPrintable(start.standardOutput), stdout);
    std::fputs(qPrintable(start.standardError), stderr);
    std::fflush(stdout);
}

} // namespace arvelo
