#pragma once

#include "core/ArtistName.h"

#include <QStringList>

namespace arvelo {

// The artist list of a scan: one display name for every artist key that at least two
// candidates share, taken from the earliest of them in workList's order. Two keys that
// beautify to the same text give that text once. Entries come in order of discovery.
QStringList groupArtists(const QStringList &workList, KeyOptions options);

} // namespace arvelo
