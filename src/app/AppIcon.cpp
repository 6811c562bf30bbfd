#include "app/AppIcon.h"

namespace arvelo {

namespace {

QIcon bundledIcon(const QString &stem)
{
    QIcon icon;
    for (const int size : {16, 32})
        icon.addFile(u":/%1-%2.png"_qs.arg(stem).arg(size), QSize(size, size));
    return icon;
}

} // namespace

QIcon appIcon()
{
    return bundledIcon(u"arvelo"_qs);
}

QIcon progressIcon()
{
    return bundledIcon(u"progress"_qs);
}

QIcon helpIcon()
{
    return bundledIcon(u"help"_qs);
}

} // namespace arvelo
