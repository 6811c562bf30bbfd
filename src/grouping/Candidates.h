#pragma once

#include <QStringList>

#include <optional>

namespace arvelo {

// Names of the non-hidden sub-folders of folder (links to folders included), unsorted;
// nothing when the folder is missing or cannot be read.
std::optional<QStringList> subFolderNames(const QString &folder);

} // namespace arvelo
