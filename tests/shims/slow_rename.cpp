// Makes every renameat2 take a while, as on a slow disk, so that long moves can be tested on a
// fast one. Loaded with LD_PRELOAD; ARVELO_SLOW_RENAME_US gives the delay in microseconds.
// ARVELO_STUCK_RENAME names one file whose rename hangs far longer, as on a share waking up:
// ARVELO_STUCK_RENAME_US (3 s when not given). ARVELO_KILL_AT_RENAME names a file whose renameat
// (over the name reserved for it, where there are no hard links) kills the program instead.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

static long microseconds(const char *variable, long otherwise)
{
    const char *text = std::getenv(variable);
    return text ? std::atol(text) : otherwise;
}

extern "C" int renameat2(
    int olddirfd, const char *oldpath, int newdirfd, const char *newpath, unsigned int flags)
{
    using Real = int (*)(int, const char *, int, const char *, unsigned int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "renameat2"));
    static const long delay = microseconds("ARVELO_SLOW_RENAME_US", 0);
    static const char *const stuck = std::getenv("ARVELO_STUCK_RENAME");
    static const long stuckDelay = microseconds("ARVELO_STUCK_RENAME_US", 3'000'000);
    if (stuck && std::strcmp(oldpath, stuck) == 0)
        usleep(useconds_t(stuckDelay));
    else if (delay > 0)
        usleep(useconds_t(delay));
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}

extern "C" int renameat(int olddirfd, const char *oldpath, int newdirfd, const char *newpath)
{
    using Real = int (*)(int, const char *, int, const char *);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "renameat"));
    static const char *const killAt = std::getenv("ARVELO_KILL_AT_RENAME");
    if (killAt && std::strcmp(oldpath, killAt) == 0)
        std::raise(SIGKILL);
    return real(olddirfd, oldpath, newdirfd, newpath);
}
