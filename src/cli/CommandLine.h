#pragma once

#include "cli/VerbRequest.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace arvelo {

// What the command line asks for: a window on a folder, a verb, or an exit with a message.
struct StartUp
{
    // The folder the window starts on; absent when the program ends at once or runs a verb.
    std::optional<QString> folder = {};
    // The verb to run instead of the window, and what it is asked.
    VerbRun verb = nullptr;
    VerbRequest request = {};
    int exitCode = 0;
    QString standardOutput = {};
    QString standardError = {};
};

// The program's arguments as text, argv[0] included.
QStringList argumentsOf(int argc, const char *const *argv);

// Reads `arvelo [options] [FOLDER]` and `arvelo VERB [options] FOLDER`. A relative FOLDER is taken
// from currentFolder, which is also where the window starts without one. Needs no application
// object, so --help and --version work without a display.
StartUp readCommandLine(const QStringList &arguments, const QString &currentFolder);

// Writes the messages of start to standard output and standard error.
void printMessages(const StartUp &start);

} // namespace arvelo
