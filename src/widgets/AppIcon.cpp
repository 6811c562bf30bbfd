#include "widgets/AppIcon.h"

using namespace Qt::StringLiterals;

namespace arvelo {

QIcon bundledIcon(const QString &stem)
{
    QIcon icon;
    for (const int size : {16, 32})
        icon.addFile(u":/%1-%2.png"_s.arg(stem).arg(size), QSize(size, size));
    return icon;
}

} // namespace arvelo
