#pragma once

#include <QString>
#include <QStringList>

namespace arvelo {

// The path made absolute and clean ("a/../b" is "b"); empty stays empty.
QString absoluteClean(const QString &path);

// The folder above a clean absolute path; the root is its own parent.
QString parentFolder(const QString &path);
// The last name of a clean path; the root is its own name.
QString lastName(const QString &path);

// The drive root of a path: the longest volume root that is a prefix of it, or empty.
QString driveOf(const QString &path, const QStringList &roots);

} // namespace arvelo
