#include "core/ListedFolder.h"

#include "core/NameCodec.h"

#include <cerrno>
#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace arvelo {

ListedFolder::ListedFolder(const QString &path, std::optional<FileId> listed)
    : m_path(path)
{
    // What counts is that the path leads to the folder that was listed.
    m_fd = openChosenFolder(path);
    m_id = FileId::of(m_fd.get());
    if (!m_fd.isOpen()) {
        m_error = errno;
    } else if (listed && (m_id != *listed || !listed->known())) {
        m_fd.reset();
        m_error = ESTALE;
        m_changed = true;
    }
}

UniqueFd openChosenFolder(const QString &path)
{
    // An empty path opens nothing, with ENOENT.
    return openFolder(AT_FDCWD, encodeName(path).constData(), true);
}

QString folderChangedMessage(const QString &folder)
{
    return u"The folder \"%1\" has changed since it was listed. Choose it again."_s.arg(
        displayName(folder));
}

} // namespace arvelo
