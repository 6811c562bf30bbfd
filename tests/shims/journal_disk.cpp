// Makes the journal's disk fail as disks do, as ARVELO_DISK_FAULT says: "flush" makes every
// fdatasync fail with EIO (what was written may never reach the disk); "fill once" makes the
// first write of zeros ahead of the records fail with ENOSPC, as on a disk full for a moment.
// Loaded with LD_PRELOAD.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

static bool fault(const char *name)
{
    const char *asked = std::getenv("ARVELO_DISK_FAULT");
    return asked && std::strcmp(asked, name) == 0;
}

extern "C" int fdatasync(int fd)
{
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fdatasync"));
    if (fault("flush")) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" ssize_t pwrite(int fd, const void *data, size_t size, off_t at)
{
    using Real = ssize_t (*)(int, const void *, size_t, off_t);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "pwrite"));
    static bool refused = false;
    const auto *bytes = static_cast<const char *>(data);
    if (!refused && size >= 4096 && fault("fill once")
        && std::all_of(bytes, bytes + size, [](char c) { return c == 0; })) {
        refused = true;
        errno = ENOSPC;
        return -1;
    }
    return real(fd, data, size, at);
}

extern "C" ssize_t pwrite64(int fd, const void *data, size_t size, off_t at)
{
    return pwrite(fd, data, size, at);
}
