#include "core/Descriptor.h"

#include <fcntl.h>
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

FileId FileId::of(int fd)
{
    struct stat info
    { };
    return fd >= 0 && ::fstat(fd, &info) == 0 ? of(info) : FileId();
}

} // namespace arvelo
