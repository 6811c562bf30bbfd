#pragma once

#include <QString>

namespace arvelo {

struct MoveSummary;

// What the user is told after a move: nothing when every file of the listed artists moved;
// otherwise how many stayed where they were, how many for each reason, and the first few by
// name.
QString moveReport(const MoveSummary &summary);

} // namespace arvelo
