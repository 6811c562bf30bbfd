#include "grouping/Candidates.h"

#include <QDirIterator>
#include <QFileInfo>

namespace arvelo {

std::optional<QStringList> subFolderNames(const QString &folder)
{
    // The iterator reports an unreadable folder as an empty one; tell them apart first.
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable())
        return std::nullopt;
    QStringList names;
    // Without QDir::Hidden, names beginning with "." are left out.
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

} // namespace arvelo
