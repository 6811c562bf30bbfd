// Scans FOLDER and moves every listed artist's files with the journal kept, as Scan and Move
// do in the window, in a process of its own that a test can kill in the middle.
#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/Lists.h"
#include "core/MovePass.h"
#include "core/NameCodec.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    const QString folder = arvelo::decodeName(argv[1]);
    const arvelo::ListedFiles listed = arvelo::listedFiles(folder).value_or(arvelo::ListedFiles());
    const QStringList &files = listed.names;
    const QStringList entries
        = arvelo::scanLists(arvelo::ListedFolder(folder, listed.folder), files, true, {})
              .value_or(arvelo::ScanLists())
              .artists;
    arvelo::DiskFolders disk;
    arvelo::Journal journal(folder);
    arvelo::MovePass pass(disk, entries, folder, files, true);
    pass.keepJournal(&journal);
    // Says when the first file has moved, so the test can kill it in the middle.
    while (!pass.step(QDeadlineTimer(QDeadlineTimer::Forever), 1)) {
        if (pass.filesHandled() == 1)
            std::fputs("moving\n", stdout), std::fflush(stdout);
    }
    return pass.summary().stayed.isEmpty() ? 0 : 1;
}
