#pragma once

#include <QString>
#include <QStringList>

namespace arvelo {

// The path made absolute and clean ("a/../b" is "b"); empty stays empty.
QString absoluteClean(const QString &path);

// The drive root of a path: the longest volume root that is a prefix of it, or empty.
QString driveOf(const QString &path, const QStringList &roots);

} // namespace arvelo
