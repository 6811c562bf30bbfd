#pragma once

#include <QIcon>

namespace arvelo {

// One of the program's icons, drawn at 16 and 32 pixels and bundled as resources: "arvelo" for
// the main window, the About box and the desktop entry, "progress" for the scan and move
// windows, "help" for the help window.
QIcon bundledIcon(const QString &stem);

} // namespace arvelo
