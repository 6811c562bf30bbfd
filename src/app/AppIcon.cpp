#include "app/AppIcon.h"

namespace arvelo {

QIcon appIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/arvelo-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/arvelo-32.png"), QSize(32, 32));
    return icon;
}

} // namespace arvelo
