#pragma once

#include <QFont>
#include <QLatin1StringView>
#include <QRect>

namespace arvelo {

// Names a control and puts it where the layout says; returns it for further set-up.
template<typename W>
W *place(W *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1StringView(name));
    widget->setGeometry(geometry);
    return widget;
}

// The font the layouts ask for ("MS Sans Serif", regular) at a point size; where that face is
// missing, the system's sans serif stands in.
QFont layoutFont(qreal pointSize);

} // namespace arvelo
