#include "core/Drives.h"

#include "core/NameCodec.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace arvelo {

QString absoluteClean(const QString &path)
{
    if (path.isEmpty())
        return {};
    // Plain text work: asking Qt for the current folder would mangle a name that is not UTF-8.
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : currentFolder() + u'/' + path);
}

QString parentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return path;
    return slash == 0 ? u"/"_s : path.left(slash);
}

QString lastName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || slash + 1 == path.size() ? path : path.sliced(slash + 1);
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
