// Makes every fdatasync fail with EIO, as on a failing disk: what was written may never reach
// it. Loaded with LD_PRELOAD.
#include <cerrno>

extern "C" int fdatasync(int)
{
    errno = EIO;
    return -1;
}
