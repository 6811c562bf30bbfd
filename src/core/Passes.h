#pragma once

#include "core/JournalStore.h"
#include "core/ListedFolder.h"
#include "core/MovePass.h"

#include <memory>

namespace arvelo {

// The passes over a folder as the window and the command line run them, each made from the
// folder as it was opened for it; an undo is an UndoPass made the same way.

// A pass as opened, or why there is none.
struct OpenedPass
{
    std::unique_ptr<SteppedPass> pass;
    QString refusal = {};
};

// The move, written to its journal as it goes, so that it can be taken back. Refused when the
// folder has changed since it was listed, when the journals' folder cannot be trusted (a move
// that could not be taken back is not made), and while another pass is under way there.
OpenedPass journaledMove(ListedFolder folder, MoveOrder order, PassTell tell = {},
    const QString &journalDir = journalFolder());

// The move's plan: its own decisions, made against a folder that records instead of acting.
// Nothing changes, on the disk or among the journals. Refused when the folder has changed.
OpenedPass plannedMove(ListedFolder folder, MoveOrder order, PassTell tell = {});

} // namespace arvelo
