#pragma once

// Files named by their bytes, made, read and removed without Qt's file classes, which
// neither see nor remove names that are not UTF-8.

#include <QByteArray>
#include <QString>

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

inline void removeTree(const QByteArray &root)
{
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

} // namespace bytetree
