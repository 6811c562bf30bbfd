// Makes a folder's listing break off with EIO, as on a failing disk: once readdir has returned
// an entry named "then EIO", the next readdir of that folder fails. Loaded with LD_PRELOAD.
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>

extern "C" dirent *readdir(DIR *dir)
{
    using Real = dirent *(*)(DIR *);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "readdir"));
    static thread_local DIR *failing = nullptr;
    if (dir == failing) {
        failing = nullptr;
        errno = EIO;
        return nullptr;
    }
    dirent *entry = real(dir);
    if (entry && std::strcmp(entry->d_name, "then EIO") == 0)
        failing = dir;
    return entry;
}
