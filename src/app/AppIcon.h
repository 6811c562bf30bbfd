#pragma once

#include <QIcon>

namespace arvelo {

// The program's own icon, shared by its windows and the About box.
QIcon appIcon();

} // namespace arvelo
