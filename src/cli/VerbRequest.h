#pragma once

#include "core/ArtistName.h"

#include <QString>
#include <QStringList>

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

// Exit statuses: 0 when everything was done, and these.
inline constexpr int SomeStayedExitCode = 1;
inline constexpr int UsageExitCode = 2;
inline constexpr int InterruptedExitCode = 130;

} // namespace arvelo
