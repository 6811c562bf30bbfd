#include "core/ListedFolder.h"

#include "core/NameCodec.h"

#include <cerrno>
#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace arvelo {

ListedFolder::ListedFolder(const QString &path, std::optional<FileId> listed)
    : m_path(path)
{
    if (path.isEmpty()) {
        m_error = ENOENT;
        return;
    }
    // The user may have chosen the folder through a link, so one is followed here; what counts
    // is that it leads to the folder that was listed.
    m_fd = openFolder(AT_FDCWD, encodeName(path).constData(), true);
    m_id = FileId::of(m_fd.get());
    if (!m_fd.isOpen()) {
        m_error = errno;
    } else if (listed && (m_id != *listed || !listed->known())) {
        m_fd.reset();
        m_error = ESTALE;
        m_changed = true;
    }
}

QString folderChangedMessage(const QString &folder)
{
    return u"The folder \"%1\" has changed since it was listed. Choose it again."_s.arg(
        displayName(folder));
}

} // namespace arvelo
