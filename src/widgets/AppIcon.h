#pragma once

#include <QIcon>

namespace arvelo {

// The program's icons, each drawn at 16 and 32 pixels and bundled as resources.
QIcon appIcon(); // the main window, the About box and the desktop entry
QIcon progressIcon(); // the scan and move windows
QIcon helpIcon(); // the help window

} // namespace arvelo
