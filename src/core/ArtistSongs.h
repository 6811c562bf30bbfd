#pragma once

#include <QStringList>

namespace arvelo {

// The titles of the files whose beautified artist part is exactly `artist`, in file order.
// A file without "-" has no title, so it is not listed even when its whole name matches.
QStringList songTitles(const QStringList &files, const QString &artist);

// The song view: the same titles, in list order.
QStringList songList(const QStringList &files, const QString &artist);

} // namespace arvelo
