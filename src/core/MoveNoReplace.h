#pragma once

#include <QString>

#include <functional>

namespace arvelo {

// How one move ended: error is the errno of the refusal, 0 when the file now stands at its
// new place. A refused move leaves the file where it was.
struct MoveResult
{
    int error = 0;

    bool moved() const { return error == 0; }
};

// The system calls the move is built on. The defaults are the real ones; tests substitute
// refusals to walk the fallbacks on an ordinary file system. Each returns -1 and sets errno
// on failure, as the real calls do.
struct MoveSyscalls
{
    std::function<int(const char *from, const char *to)> renameNoReplace;
    std::function<int(const char *from, const char *to)> link;
    std::function<int(const char *path)> unlink;
    // 0 when something (even a dangling link) stands at path.
    std::function<int(const char *path)> lexists;
    std::function<int(const char *from, const char *to)> rename;

    static const MoveSyscalls &system();
};

// Moves or renames a file without ever replacing what stands at `to` and without copying:
// an atomic no-replace rename where the file system has one, else a hard link and removal
// of the old name, else (no hard links, e.g. vfat) a check that `to` is free and a rename.
MoveResult moveNoReplace(const QString &from, const QString &to);
MoveResult moveNoReplace(const QString &from, const QString &to, const MoveSyscalls &calls);

} // namespace arvelo
