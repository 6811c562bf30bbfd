#pragma once

#include <QString>

namespace Module1 {

// The display and folder form of an artist: each blank-separated word with an upper-case
// first character and a lower-case rest, joined by single blanks, no blank at either end.
QString BeautifyName(const QString &text);

} // namespace Module1
