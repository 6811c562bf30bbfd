#include "core/Descriptor.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace arvelo {

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

UniqueFd openFolder(int dir, const char *name, bool followLink)
{
    return UniqueFd(
        ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
}

Listing openListing(int dir)
{
    UniqueFd fd = openFolder(dir, ".");
    Listing listing(fd.isOpen() ? ::fdopendir(fd.get()) : nullptr);
    if (listing)
        fd.release();
    return listing;
}

FileId FileId::of(int fd)
{
    struct stat info = {};
    return fd >= 0 && ::fstat(fd, &info) == 0 ? of(info) : FileId();
}

bool stableIdentities(int fd)
{
    static constexpr std::array<decltype(statfs::f_type), 6> unstable {FUSE_SUPER_MAGIC,
        MSDOS_SUPER_MAGIC, EXFAT_SUPER_MAGIC, SMB_SUPER_MAGIC, CIFS_SUPER_MAGIC, SMB2_SUPER_MAGIC};
    struct statfs info = {};
    // A file system that cannot be told is taken at its word: identities are compared.
    return ::fstatfs(fd, &info) != 0 || std::ranges::find(unstable, info.f_type) == unstable.end();
}

} // namespace arvelo
