#pragma once

#include "core/Descriptor.h"

#include <QString>

#include <optional>

namespace arvelo {

// The selected folder, opened once for a scan or a pass and held open, provided it is still the
// folder whose files were listed. Its path may have been given to another folder since (moved
// away, replaced by a link); then nothing may be read or changed through it. Everything a pass
// does in the folder goes through this descriptor, never through the path again.
class ListedFolder
{
public:
    // `listed` is the folder the files were read from; without one, whatever the path leads to
    // now is taken.
    ListedFolder(const QString &path, std::optional<FileId> listed);

    const QString &path() const { return m_path; }
    // The open folder, or -1.
    int fd() const { return m_fd.get(); }
    // The open folder's identity.
    FileId id() const { return m_id; }
    // Why there is no open folder: its errno, ESTALE when it has changed.
    int error() const { return m_error; }
    // The path leads to another folder than the one listed.
    bool changed() const { return m_changed; }

private:
    QString m_path;
    UniqueFd m_fd;
    FileId m_id;
    int m_error = 0;
    bool m_changed = false;
};

// A folder the user chose, by its path: a link to it is followed, as the user may have chosen
// it through one; from there on every name is looked up inside the folder it led to. Not open,
// with errno set, when it cannot be opened (ENOENT for an empty path).
UniqueFd openChosenFolder(const QString &path);

// What the user is told when the selected folder has changed since it was listed.
QString folderChangedMessage(const QString &folder);

} // namespace arvelo
