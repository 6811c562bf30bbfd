#pragma once

#include <QString>

#include <sys/types.h>

namespace arvelo {

// Which folder a listing was read from: its device and inode. Null when nothing was read.
struct FolderId
{
    dev_t device = 0;
    ino_t inode = 0;

    bool isNull() const { return device == 0 && inode == 0; }
    bool operator==(const FolderId &) const = default;
};

// The folder open as fd; null when it cannot be looked at.
FolderId folderIdOf(int fd);

// The selected folder, opened once for a scan or a move and held open, provided it is still the
// folder whose files were listed. Its path may have been given to another folder since (moved
// away, replaced by a link); then nothing may be read or changed through it.
class ListedFolder
{
public:
    ListedFolder(const QString &path, FolderId listed);
    ~ListedFolder();
    ListedFolder(ListedFolder &&other) noexcept;
    ListedFolder(const ListedFolder &) = delete;
    ListedFolder &operator=(const ListedFolder &) = delete;
    ListedFolder &operator=(ListedFolder &&) = delete;

    const QString &path() const { return m_path; }
    // The open folder, or -1.
    int fd() const { return m_fd; }
    // Why there is no open folder: its errno, ESTALE when it has changed.
    int error() const { return m_error; }
    // The path leads to another folder than the one listed.
    bool changed() const { return m_changed; }
    // Hands the open folder over to the caller, who closes it.
    int release();

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_changed = false;
};

// What the user is told when the selected folder has changed since it was listed.
QString folderChangedMessage(const QString &folder);

} // namespace arvelo
