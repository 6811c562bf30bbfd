// Makes every renameat2 take a while, as on a slow disk, so that long moves can be tested on a
// fast one. Loaded with LD_PRELOAD; ARVELO_SLOW_RENAME_US gives the delay in microseconds.
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

extern "C" int renameat2(
    int olddirfd, const char *oldpath, int newdirfd, const char *newpath, unsigned int flags)
{
    using Real = int (*)(int, const char *, int, const char *, unsigned int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "renameat2"));
    static const long delay = [] {
        const char *text = std::getenv("ARVELO_SLOW_RENAME_US");
        return text ? std::atol(text) : 0L;
    }();
    if (delay > 0)
        usleep(useconds_t(delay));
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}
