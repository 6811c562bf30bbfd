#pragma once

// Files named by their bytes, made, read and removed without Qt's file classes, which
// neither see nor remove names that are not UTF-8.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <algorithm>
#include <cstring>

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
inline QString escaped(const QString &text)
{
    QString name;
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text.at(k) == u'<' && k + 3 < text.size() && text.at(k + 3) == u'>') {
            name.append(QChar(char16_t(0xDC00 + text.mid(k + 1, 2).toInt(nullptr, 16))));
            k += 3;
        } else {
            name.append(text.at(k));
        }
    }
    return name;
}

// Every entry below root, sorted, one per line: its path below root, then "/" for a folder,
// "@" and the target for a link, else "=" and its first bytes; withIdentity adds the inode and
// the size, which tell a file that was put back from one that never moved.
inline QByteArrayList tree(const QByteArray &root, bool withIdentity = false)
{
    static thread_local QByteArrayList *lines = nullptr;
    static thread_local size_t below = 0;
    static thread_local bool identity = false;
    QByteArrayList all;
    lines = &all;
    below = size_t(root.size()) + 1;
    identity = withIdentity;
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *info, int, FTW *) {
            if (std::strlen(path) < below)
                return 0;
            QByteArray line(path + below);
            if (S_ISDIR(info->st_mode)) {
                line += '/';
            } else if (S_ISLNK(info->st_mode)) {
                char target[4096];
                const ssize_t size = ::readlink(path, target, sizeof target);
                line += '@' + QByteArray(target, size < 0 ? 0 : size);
            } else {
                line += '=' + contents(path);
            }
            if (identity)
                line += ' ' + QByteArray::number(quint64(info->st_ino)) + ' '
                    + QByteArray::number(qint64(info->st_size));
            lines->append(line);
            return 0;
        },
        16, FTW_PHYS);
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
