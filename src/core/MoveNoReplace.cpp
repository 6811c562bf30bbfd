#include "core/MoveNoReplace.h"

#include "core/Descriptor.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
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

MoveResult twoNamesAfter(int error)
{
    return {failedWith(error).error, true};
}

// What stands at a name, compared with the file being moved.
enum class At { Ours, Other, Nothing, Unknown };

At whatStandsAt(int dir, const char *name, const struct stat &file, const MoveSyscalls &calls)
{
    struct stat info = {};
    if (calls.lstat(dir, name, &info) == 0)
        return sameFile(info, FileId::of(file)) ? At::Ours : At::Other;
    return errno == ENOENT ? At::Nothing : At::Unknown;
}

// The outcome as the two names show it, after a call that reported `error`.
MoveResult outcome(At source, At target, int error)
{
    const bool stillThere = source == At::Ours || source == At::Unknown;
    if (target == At::Ours)
        return stillThere ? twoNamesAfter(error) : MoveResult {};
    if (stillThere || target == At::Unknown)
        return failedWith(error);
    // Neither name leads to the file: another hand took it away.
    return {ENOENT};
}

// A call can do its work and still report failure (a lost reply on a network or FUSE file
// system), so its answer is not taken on trust: the names are looked at again.
MoveResult lookAfter(int fromDir, const char *from, int toDir, const char *to,
    const struct stat &file, int error, const MoveSyscalls &calls)
{
    const At source = whatStandsAt(fromDir, from, file, calls);
    return outcome(source, whatStandsAt(toDir, to, file, calls), error);
}

// Putting the old name aside reported `error` after the new name was made. Dropping the new
// name undoes the move, but only while both names still lead to the file.
MoveResult settleLink(int fromDir, const char *from, int toDir, const char *to,
    const struct stat &file, int error, const MoveSyscalls &calls)
{
    const At source = whatStandsAt(fromDir, from, file, calls);
    At target = whatStandsAt(toDir, to, file, calls);
    // The link was made a moment ago: a name that cannot be looked at is taken to hold it.
    if (target == At::Unknown)
        target = At::Ours;
    if (source != At::Ours || target != At::Ours)
        return outcome(source, target, error);
    if (calls.unlink(toDir, to) == 0)
        return failedWith(error);
    // The undo may have lied as well: what counts is whether the new name is still there.
    if (whatStandsAt(toDir, to, file, calls) == At::Nothing)
        return failedWith(error);
    return twoNamesAfter(error);
}

// A name that no other program uses, in the folder of `from`: where the old name is put aside.
std::string privateName(const char *from)
{
    const char *slash = std::strrchr(from, '/');
    return std::string(from, slash != nullptr ? slash + 1 - from : 0) + ".arvelo-"
        + std::to_string(QRandomGenerator::global()->generate64());
}

std::string baseName(const std::string &path)
{
    return path.substr(path.rfind('/') + 1);
}

// Another program saved a file under the old name before it was put aside: the file goes back
// under its name by a link, which replaces nothing, and then the private name goes. If the
// name has been taken yet again, the private name keeps the file and is reported.
MoveResult putBack(int dir, const std::string &aside, const char *name, const struct stat &theirs,
    const MoveSyscalls &calls)
{
    if (calls.link(dir, aside.c_str(), dir, name) != 0
        && whatStandsAt(dir, name, theirs, calls) != At::Ours)
        return {0, false, baseName(aside)};
    if (calls.unlink(dir, aside.c_str()) != 0
        && whatStandsAt(dir, aside.c_str(), theirs, calls) != At::Nothing)
        return {0, false, baseName(aside)};
    return {};
}

// The file stands under both names now. Another program may have saved a new file under the
// old name since the file was looked at, so that name is never unlinked: it is renamed to a
// private name, and only what is ours there is unlinked.
MoveResult dropOldName(int fromDir, const char *from, int toDir, const char *to,
    const struct stat &file, const MoveSyscalls &calls)
{
    const std::string aside = privateName(from);
    const int error = calls.rename(fromDir, from, fromDir, aside.c_str()) == 0 ? 0 : errno;
    struct stat there = {};
    if (calls.lstat(fromDir, aside.c_str(), &there) != 0) {
        // Renamed, yet not to be looked at: what it holds cannot be told, so it stays.
        if (error == 0 && errno != ENOENT)
            return {failedWith(errno).error, true, baseName(aside)};
        // The old name was not renamed, or the file has left it: the link settles by the names.
        return settleLink(fromDir, from, toDir, to, file, error, calls);
    }
    if (!sameFile(there, FileId::of(file)))
        return putBack(fromDir, aside, from, there, calls);
    if (calls.unlink(fromDir, aside.c_str()) == 0)
        return {};
    const int unlinkError = errno;
    if (whatStandsAt(fromDir, aside.c_str(), file, calls) == At::Nothing)
        return {};
    return {failedWith(unlinkError).error, true, baseName(aside)};
}

// Our reservation: the empty file made at `to`, still under that name.
bool isPlaceholder(
    int dir, const char *name, const struct stat &reserved, const MoveSyscalls &calls)
{
    struct stat info = {};
    return calls.lstat(dir, name, &info) == 0 && sameFile(info, FileId::of(reserved))
        && S_ISREG(info.st_mode) && info.st_size == 0;
}

// No hard links here (FAT, exFAT): the new name is reserved with an exclusive create, which
// nothing standing there survives, and the file renamed over that placeholder only while it is
// still ours. A program that creates exclusively or links never loses a file to us.
MoveResult moveOverPlaceholder(int fromDir, const char *from, int toDir, const char *to,
    const struct stat &file, const MoveSyscalls &calls)
{
    const UniqueFd fd(calls.create(toDir, to));
    if (!fd.isOpen())
        return lookAfter(fromDir, from, toDir, to, file, errno, calls);
    struct stat reserved = {};
    const bool known = ::fstat(fd.get(), &reserved) == 0;
    const int error = errno;
    // Without its identity the placeholder cannot be told from another's file: it stays.
    if (!known)
        return failedWith(error);
    if (!isPlaceholder(toDir, to, reserved, calls))
        return lookAfter(fromDir, from, toDir, to, file, EEXIST, calls);
    if (calls.rename(fromDir, from, toDir, to) == 0)
        return {};
    const MoveResult result = lookAfter(fromDir, from, toDir, to, file, errno, calls);
    if (result.error != 0 && !result.twoNames && isPlaceholder(toDir, to, reserved, calls))
        calls.unlink(toDir, to);
    return result;
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
        ::renameat,
        ::mkdirat,
        [](int dir, const char *name) {
            return ::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        },
    };
    return calls;
}

MoveSyscalls MoveSyscalls::tellingCreates(
    std::function<void(const struct stat &, const char *)> made) const
{
    MoveSyscalls calls = *this;
    calls.create = [create = create, made = std::move(made)](int dir, const char *name) {
        const int fd = create(dir, name);
        struct stat info = {};
        if (fd >= 0 && ::fstat(fd, &info) == 0)
            made(info, name);
        return fd;
    };
    return calls;
}

MoveResult moveNoReplaceAt(int fromDir, const char *from, int toDir, const char *to,
    const struct stat &file, const MoveSyscalls &calls)
{
    if (calls.renameNoReplace(fromDir, from, toDir, to) == 0)
        return {};
    int error = errno;
    if (!unsupported(error))
        return lookAfter(fromDir, from, toDir, to, file, error, calls);

    // No atomic no-replace rename here: a new link cannot replace anything either.
    if (calls.link(fromDir, from, toDir, to) != 0) {
        error = errno;
        // The link may stand all the same; then the move goes on as if it had been made.
        const At target = whatStandsAt(toDir, to, file, calls);
        if (target != At::Ours) {
            if (noHardLinks(error))
                return moveOverPlaceholder(fromDir, from, toDir, to, file, calls);
            return outcome(whatStandsAt(fromDir, from, file, calls), target, error);
        }
    }
    return dropOldName(fromDir, from, toDir, to, file, calls);
}

} // namespace arvelo
