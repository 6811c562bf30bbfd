#include "core/ListedFolder.h"

#include "core/NameCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace arvelo {

FolderId folderIdOf(int fd)
{
    struct stat info
    { };
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return {};
    return {info.st_dev, info.st_ino};
}

ListedFolder::ListedFolder(const QString &path, FolderId listed)
    : m_path(path)
{
    if (path.isEmpty()) {
        m_error = ENOENT;
        return;
    }
    // The user may have chosen the folder through a link, so one is followed here; what counts
    // is that it leads to the folder that was listed.
    m_fd = ::open(encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errno;
        return;
    }
    if (folderIdOf(m_fd) != listed || listed.isNull()) {
        ::close(m_fd);
        m_fd = -1;
        m_error = ESTALE;
        m_changed = true;
    }
}

ListedFolder::~ListedFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ListedFolder::ListedFolder(ListedFolder &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
    , m_changed(other.m_changed)
{ }

int ListedFolder::release()
{
    return std::exchange(m_fd, -1);
}

QString folderChangedMessage(const QString &folder)
{
    return u"The folder \"%1\" has changed since it was listed. Choose it again."_s.arg(
        displayName(folder));
}

} // namespace arvelo
