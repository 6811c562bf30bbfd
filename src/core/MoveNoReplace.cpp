#include "core/MoveNoReplace.h"

#include "core/NameCodec.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace arvelo {

namespace {

// Errors by which a file system says it lacks a feature, rather than refusing this move.
bool unsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

bool noHardLinks(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

MoveResult failedWith(int error)
{
    // A call that fails must report why; never let a refusal read as success.
    return {error != 0 ? error : EIO};
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The old name's removal reported `error` after the new name was made. A removal can take
// place and still report failure (a retried remove on NFS), so look before undoing: dropping
// the new name is safe only while the old one still leads to the same file.
MoveResult settleLink(
    int fromDir, const char *from, int toDir, const char *to, int error, const MoveSyscalls &calls)
{
    struct stat source
    { };
    if (calls.lstat(fromDir, from, &source) != 0) {
        // The old name is gone: the file stands at its new place only.
        if (errno == ENOENT)
            return {};
        return {failedWith(error).error, true};
    }
    struct stat target
    { };
    if (calls.lstat(toDir, to, &target) != 0)
        return failedWith(errno == ENOENT ? error : errno);
    // Something else took the old name meanwhile; the file itself is at its new place.
    if (!sameFile(source, target))
        return {};
    if (calls.unlink(toDir, to) == 0)
        return failedWith(error);
    // The undo may have lied as well: what counts is whether the new name is still there.
    if (calls.lstat(toDir, to, &target) != 0 && errno == ENOENT)
        return failedWith(error);
    return {failedWith(error).error, true};
}

} // namespace

const MoveSyscalls &MoveSyscalls::system()
{
    static const MoveSyscalls calls {
        [](int fromDir, const char *from, int toDir, const char *to) {
            return ::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE);
        },
        [](int fromDir, const char *from, int toDir, const char *to) {
            return ::linkat(fromDir, from, toDir, to, 0);
        },
        [](int dir, const char *name) { return ::unlinkat(dir, name, 0); },
        [](int dir, const char *name, struct stat *info) {
            return ::fstatat(dir, name, info, AT_SYMLINK_NOFOLLOW);
        },
        [](int fromDir, const char *from, int toDir, const char *to) {
            return ::renameat(fromDir, from, toDir, to);
        },
        [](int dir, const char *name, mode_t mode) { return ::mkdirat(dir, name, mode); },
    };
    return calls;
}

MoveResult moveNoReplace(const QString &from, const QString &to)
{
    return moveNoReplace(from, to, MoveSyscalls::system());
}

MoveResult moveNoReplace(const QString &from, const QString &to, const MoveSyscalls &calls)
{
    const QByteArray source = encodeName(from);
    const QByteArray target = encodeName(to);
    if (source.isEmpty() || target.isEmpty())
        return {ENOENT};
    return moveNoReplaceAt(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), calls);
}

MoveResult moveNoReplaceAt(
    int fromDir, const char *from, int toDir, const char *to, const MoveSyscalls &calls)
{
    if (calls.renameNoReplace(fromDir, from, toDir, to) == 0)
        return {};
    int error = errno;
    if (!unsupported(error))
        return failedWith(error);

    // No atomic no-replace rename here: a new link cannot replace anything either.
    if (calls.link(fromDir, from, toDir, to) == 0) {
        if (calls.unlink(fromDir, from) == 0)
            return {};
        return settleLink(fromDir, from, toDir, to, errno, calls);
    }
    error = errno;
    if (!noHardLinks(error))
        return failedWith(error);

    // No hard links either: look before renaming, as mv -n does on such file systems.
    struct stat info
    { };
    if (calls.lstat(toDir, to, &info) == 0)
        return {EEXIST};
    error = errno;
    if (error != ENOENT)
        return failedWith(error);
    if (calls.rename(fromDir, from, toDir, to) == 0)
        return {};
    return failedWith(errno);
}

} // namespace arvelo
