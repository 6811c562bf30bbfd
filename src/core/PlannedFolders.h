#pragma once

#include "core/ArtistFolders.h"

#include <QSet>

namespace arvelo {

// The move as it would go now, made on nothing: artist folders are found as the disk has
// them, the ones the move would create are only noted, and a file would move when its name is
// free in its artist folder and both folders can be written. A MovePass run on it gives the
// plan of a move without changing anything.
class PlannedFolders final : public FolderAccess
{
public:
    std::optional<FolderEntry> findEntry(const QString &folder, const QString &name) override;
    bool createFolder(const QString &folder, const QString &name) override;
    MoveResult moveInto(
        const QString &folder, const QString &file, const QString &subFolder) override;

private:
    // Only looked up in, never changed.
    DiskFolders m_disk;
    // The folders the move would create.
    EntryIndex m_planned;
    QSet<QString> m_plannedNames;
};

} // namespace arvelo
