#pragma once

#include <QtGlobal>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace arvelo {

// An open descriptor, closed when its owner goes.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    { }
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(other.release())
    { }
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// Opens a folder named relative to dir (or AT_FDCWD). A final link is followed only when asked:
// the folder the user chose may be reached through one, a folder inside it never is.
UniqueFd openFolder(int dir, const char *name, bool followLink = false);

struct CloseListing
{
    void operator()(DIR *listing) const { ::closedir(listing); }
};
// A folder's entries as they are read, closed when their owner goes.
using Listing = std::unique_ptr<DIR, CloseListing>;

// The entries of the folder open as dir, read through a descriptor of their own, so that dir
// stays as it is; empty when the folder cannot be read.
Listing openListing(int dir);

// A file or folder as the file system knows it, whatever its name: unknown when it could not
// be told.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;

    static FileId of(const struct stat &info)
    {
        return {quint64(info.st_dev), quint64(info.st_ino)};
    }
    // The file open as fd; unknown when it cannot be looked at.
    static FileId of(int fd);
    bool known() const { return device != 0 || inode != 0; }
    friend bool operator==(const FileId &, const FileId &) = default;
};

// Whether the file system under fd keeps a file's inode number for good. FUSE drivers (sshfs,
// exFAT and NTFS sticks), FAT, exFAT and SMB number files afresh on a remount, some even after a
// rename or a hard link; there a file is known by its name, size and modification time.
bool stableIdentities(int fd);

// Whether what was looked at is the file known as id; never for an unknown one.
inline bool sameFile(const struct stat &info, FileId id)
{
    return id.known() && FileId::of(info) == id;
}

} // namespace arvelo
