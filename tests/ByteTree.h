#pragma once

// Files named by their bytes, made, read and removed without Qt's file classes, which
// neither see nor remove names that are not UTF-8.

#include <QByteArray>
#include <QByteArrayList>
#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bytetree {

[[nodiscard]] inline bool makeFile(const QByteArray &path, const QByteArray &data = {})
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, data.constData(), data.size()) == ssize_t(data.size());
    ::close(fd);
    return written;
}

// Makes each entry below root, as tests write them: "name/" a folder, "name@target" a symbolic
// link, anything else a file that holds its path below root, so no two files share contents.
// The folders above an entry, root among them, are made as needed; an empty entry adds nothing.
// Returns the first entry that could not be made, so that a failed comparison names it.
inline QByteArray make(const QByteArray &root, const QByteArrayList &entries)
{
    for (const QByteArray &entry : entries) {
        const qsizetype link = entry.indexOf('@');
        const QByteArray path = root + '/' + (link < 0 ? entry : entry.left(link));
        for (qsizetype slash = path.indexOf('/', 1); slash > 0;
             slash = path.indexOf('/', slash + 1))
            ::mkdir(path.left(slash).constData(), 0777); // most are there already
        const bool made = entry.isEmpty() || entry.endsWith('/')
            ? ::access(path.constData(), F_OK) == 0
            : link >= 0 ? ::symlink(entry.sliced(link + 1).constData(), path.constData()) == 0
                        : makeFile(path, entry);
        if (!made)
            return entry;
    }
    return {};
}

inline QByteArray make(const QString &root, const QStringList &entries)
{
    QByteArrayList bytes;
    for (const QString &entry : entries)
        bytes.append(QFile::encodeName(entry));
    return make(QFile::encodeName(root), bytes);
}

// The first bytes of a file, which the tests fill with its original name; "?" when unreadable.
inline QByteArray contents(const QByteArray &path)
{
    QByteArray data(256, '\0');
    const int fd = ::open(path.constData(), O_RDONLY);
    const ssize_t size = fd < 0 ? -1 : ::read(fd, data.data(), data.size());
    if (fd >= 0)
        ::close(fd);
    return size < 0 ? QByteArray("?") : data.left(size);
}

// Spells a name that holds escaped bytes: "<e9>" stands for the escape of byte 0xE9.
inline QString escaped(QString text)
{
    static const QRegularExpression byte(QStringLiteral("<([0-9a-fA-F]{2})>"));
    for (auto at = byte.match(text); at.hasMatch(); at = byte.match(text, at.capturedStart() + 1))
        text.replace(at.capturedStart(), 4, QChar(0xDC00 + at.captured(1).toUInt(nullptr, 16)));
    return text;
}

// One entry below a root: its path below it, then what it holds: "/" for a folder, "@" and the
// target for a link, else "=" and its first bytes. The inode and the size tell a file that was
// put back from one that never moved.
struct Entry
{
    QByteArray path, held;
    quint64 inode = 0;
    qint64 size = 0;
};

// Every entry below root, in no particular order; links are not followed.
inline QList<Entry> entries(const QByteArray &root)
{
    static thread_local QList<Entry> *found = nullptr;
    static thread_local size_t below = 0;
    QList<Entry> all;
    found = &all;
    below = size_t(root.size()) + 1;
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *info, int, FTW *) {
            if (std::strlen(path) < below)
                return 0;
            QByteArray held = "/";
            if (S_ISLNK(info->st_mode)) {
                char target[4096];
                const ssize_t size = ::readlink(path, target, sizeof target);
                held = '@' + QByteArray(target, size < 0 ? 0 : size);
            } else if (!S_ISDIR(info->st_mode)) {
                held = '=' + contents(path);
            }
            found->append({path + below, held, quint64(info->st_ino), qint64(info->st_size)});
            return 0;
        },
        16, FTW_PHYS);
    return all;
}

// The same, sorted, one line per entry: its path and what it holds; withIdentity adds the inode
// and the size.
inline QByteArrayList tree(const QByteArray &root, bool withIdentity = false)
{
    QByteArrayList lines;
    for (const Entry &entry : entries(root)) {
        lines.append(entry.path + entry.held);
        if (withIdentity)
            lines.last()
                += ' ' + QByteArray::number(entry.inode) + ' ' + QByteArray::number(entry.size);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Every file below root: its path below root -> its first bytes.
using Files = std::map<QByteArray, QByteArray>;

inline Files files(const QByteArray &root)
{
    Files files;
    for (const Entry &entry : entries(root))
        if (entry.held.startsWith('='))
            files[entry.path] = entry.held.sliced(1);
    return files;
}

// What the files hold, sorted: the same wherever they moved.
inline QByteArrayList held(const Files &files)
{
    QByteArrayList all;
    for (const auto &[path, data] : files)
        all.append(data);
    std::sort(all.begin(), all.end());
    return all;
}

inline void removeTree(const QByteArray &root)
{
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

} // namespace bytetree
