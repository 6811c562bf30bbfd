#pragma once

#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace arvelo {

// How one move ended, as the disk shows it afterwards: error is the errno of the refusal, 0 when
// the file now stands at its new place. A refused move leaves the file where it was, except when
// twoNames is set: the move could neither be finished nor undone, and the file stands under both
// names.
struct MoveResult
{
    int error = 0;
    bool twoNames = false;
    // A private name in the old name's folder under which a file was left: with twoNames, the
    // file's second name instead of the old one; otherwise another program's file, saved under
    // the old name meanwhile, whose name was taken yet again before it could be put back.
    std::string keptAs = {};

    bool moved() const { return error == 0 && !twoNames; }
};

// The system calls the move and the artist folders are built on, each relative to an open
// folder. The defaults are the real ones; tests substitute refusals and lies to walk every
// fallback on an ordinary file system. Each returns -1 and sets errno on failure, as the real
// calls do.
struct MoveSyscalls
{
    // renameat2 with RENAME_NOREPLACE.
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> renameNoReplace;
    // linkat, never following a link.
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> link;
    // unlinkat of a file.
    std::function<int(int dir, const char *name)> unlink;
    // fstatat without following a final link; it tells what stands at a name, even a dangling
    // link.
    std::function<int(int dir, const char *name, struct stat *info)> lstat;
    // renameat, which replaces; used only onto a name of our own (a placeholder, a private name).
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> rename;
    // mkdirat.
    std::function<int(int dir, const char *name, mode_t mode)> mkdir;
    // openat with O_CREAT | O_EXCL | O_NOFOLLOW: a new empty file, or nothing if any entry
    // (even a dangling link) has that name. Returns the open file.
    std::function<int(int dir, const char *name)> create;

    static const MoveSyscalls &system();
    // The same calls, with `made` told of each empty file that create makes (its identity and
    // name) before anything else happens to it: a reservation is written down the moment it
    // exists.
    MoveSyscalls tellingCreates(
        std::function<void(const struct stat &, const char *name)> made) const;
};

// Moves or renames a file without ever replacing what stands at `to` and without copying:
// an atomic no-replace rename where the file system has one, else a hard link and removal
// of the old name (first renamed to a private name, so that a file another program saves under
// the old name meanwhile is never removed), else (no hard links, e.g. FAT) a rename over a
// placeholder reserved with an exclusive create. Names are taken relative to the open folders
// fromDir and toDir (or AT_FDCWD). Only `file`, as the caller has just looked at `from`
// (fstatat), is moved or unlinked; after any call that reports an error, the result is what the
// disk shows.
MoveResult moveNoReplaceAt(int fromDir, const char *from, int toDir, const char *to,
    const struct stat &file, const MoveSyscalls &calls = MoveSyscalls::system());

} // namespace arvelo
