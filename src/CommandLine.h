#pragma once

#include "core/ArtistName.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// What a verb works on: the folder, and the window's options as the command line sets them.
struct VerbRequest
{
    // Absolute and clean, and readable when the command line was read.
    QString folder;
    // The verb's own value, such as the artist of --songs.
    QString value;
    KeyOptions keyOptions;
    bool beautifyFolderNames = true;
    bool withSubFolders = true;
    // Artists struck from the list, and the only ones kept; each must be listed.
    QStringList except;
    QStringList only;
    bool dryRun = false;
    bool verbose = false;
    // What ends each printed name.
    char end = '\n';
};

// Runs a verb without any window and returns the program's exit status.
using VerbRun = int (*)(const VerbRequest &request);

// What the command line asks for: a window on a folder, a verb, or an exit with a message.
struct StartUp
{
    // The folder the window starts on; absent when the program ends at once or runs a verb.
    std::optional<QString> folder;
    // The verb to run instead of the window, and what it is asked.
    VerbRun verb = nullptr;
    VerbRequest request;
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
};

// The exit status for a command line that cannot be used.
inline constexpr int UsageExitCode = 2;

// The program's arguments as text, argv[0] included.
QStringList argumentsOf(int argc, const char *const *argv);

// Reads `arvelo [options] [FOLDER]` and `arvelo VERB [options] FOLDER`. A relative FOLDER is taken
// from currentFolder, which is also where the window starts without one. Needs no application
// object, so --help and
// --version work without a display.
StartUp readCommandLine(const QStringList &arguments, const QString &currentFolder);

// Writes the messages of start to standard output and standard error.
void printMessages(const StartUp &start);

} // namespace arvelo
