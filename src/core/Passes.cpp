#include "core/Passes.h"

#include "core/ArtistFolders.h"
#include "core/Journal.h"
#include "core/UndoPass.h"

#include <functional>

namespace arvelo {

OpenedPass journaledMove(
    ListedFolder folder, MoveOrder order, PassTell tell, const QString &journalDir)
{
    const QString path = folder.path();
    if (folder.changed())
        return {nullptr, folderChangedMessage(path)};
    if (const auto problem = stateFolderProblem(journalDir))
        return {nullptr, *problem};
    std::optional<UniqueFd> lock = lockPasses(journalDir, folder.id());
    if (!lock)
        return {nullptr, folderBusyMessage(path)};
    // Only where a move can leave reservations (no hard links: FAT, exFAT, all behind FUSE or
    // stable-less numbers), so that a move elsewhere never reads the last journal.
    if (!stableIdentities(folder.fd()))
        removeLeftReservations(folder, journalDir);
    auto journal = std::make_unique<Journal>(path, folder.id(), journalDir, std::move(*lock));
    auto disk = std::make_unique<DiskFolders>(std::move(folder), MoveSyscalls::system(),
        std::bind_front(&Journal::reserved, journal.get()));
    return {std::make_unique<MovePass>(
        std::move(disk), path, std::move(order), std::move(tell), std::move(journal))};
}

OpenedPass plannedMove(ListedFolder folder, MoveOrder order, PassTell tell)
{
    const QString path = folder.path();
    if (folder.changed())
        return {nullptr, folderChangedMessage(path)};
    auto planned = std::make_unique<PlannedFolders>(std::move(folder));
    return {
        std::make_unique<MovePass>(std::move(planned), path, std::move(order), std::move(tell))};
}

} // namespace arvelo
