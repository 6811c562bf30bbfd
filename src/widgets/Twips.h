#pragma once

#include <QRect>
#include <QSize>

namespace arvelo {

// Geometry is written in twips (1/1440 inch) as the layouts give it; this turns it into
// device-independent pixels (15 twips a pixel at 96 dpi).
int twips(int value);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

} // namespace arvelo
