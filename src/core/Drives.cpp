#include "core/Drives.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace arvelo {

QString absoluteClean(const QString &path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString driveOf(const QString &path, const QStringList &roots)
{
    const QString clean = absoluteClean(path);
    QString best;
    for (const QString &root : roots) {
        const QString r = QDir::cleanPath(root);
        // "/" (or "C:/") already ends in a separator; other roots need one so that
        // "/media/stick" does not claim "/media/sticky".
        const QString prefix = r.endsWith(u'/') ? r : r + u'/';
        const bool under = clean == r || clean.startsWith(prefix);
        if (under && r.size() > best.size())
            best = r;
    }
    return best;
}

} // namespace arvelo
