#pragma once

#include "cli/VerbRequest.h"

namespace arvelo {

// The command line's verbs. They need no display and create no window: each lists and scans
// the folder through the same core calls as the window, prints names as their own bytes, and
// returns the program's exit status.

// Prints the artists that Scan lists.
int runScan(const VerbRequest &request);
// Prints the songs that the song view shows for the listed artist request.value.
int runSongs(const VerbRequest &request);
// Scan, then Move; or, with dryRun, the plan of that move. SIGINT and SIGTERM stop it between
// two files, and it reports what moved and what did not.
int runMove(const VerbRequest &request);
// Takes back the last move in the folder, or with dryRun prints what would go back. Exits as a
// move does: 0 when every file went back, 1 when some stayed, 2 when there is nothing to do.
int runUndo(const VerbRequest &request);

} // namespace arvelo
