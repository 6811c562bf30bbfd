#include "core/MoveNoReplace.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

} // namespace

const MoveSyscalls &MoveSyscalls::system()
{
    static const MoveSyscalls calls {
        [](const char *from, const char *to) {
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
        },
        [](const char *from, const char *to) { return ::linkat(AT_FDCWD, from, AT_FDCWD, to, 0); },
        [](const char *path) { return ::unlinkat(AT_FDCWD, path, 0); },
        [](const char *path) {
            struct stat info
            { };
            return ::lstat(path, &info);
        },
        [](const char *from, const char *to) { return ::renameat(AT_FDCWD, from, AT_FDCWD, to); },
    };
    return calls;
}

MoveResult moveNoReplace(const QString &from, const QString &to)
{
    return moveNoReplace(from, to, MoveSyscalls::system());
}

MoveResult moveNoReplace(const QString &from, const QString &to, const MoveSyscalls &calls)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (source.isEmpty() || target.isEmpty())
        return {ENOENT};

    if (calls.renameNoReplace(source.constData(), target.constData()) == 0)
        return {};
    int error = errno;
    if (!unsupported(error))
        return failedWith(error);

    // No atomic no-replace rename here: a new link cannot replace anything either.
    if (calls.link(source.constData(), target.constData()) == 0) {
        if (calls.unlink(source.constData()) == 0)
            return {};
        error = errno;
        // Both names lead to the same data: dropping the new one undoes the move, loses nothing.
        calls.unlink(target.constData());
        return failedWith(error);
    }
    error = errno;
    if (!noHardLinks(error))
        return failedWith(error);

    // No hard links either: look before renaming, as mv -n does on such file systems.
    if (calls.lexists(target.constData()) == 0)
        return {EEXIST};
    error = errno;
    if (error != ENOENT)
        return failedWith(error);
    if (calls.rename(source.constData(), target.constData()) == 0)
        return {};
    return failedWith(errno);
}

} // namespace arvelo
