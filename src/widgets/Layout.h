#pragma once

#include <QFont>
#include <QLatin1StringView>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace arvelo {

// Geometry is written in twips (1/1440 inch) as the layouts give it; this turns it into
// device-independent pixels (15 twips a pixel at 96 dpi).
int twips(int value);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

// Names a control and puts it where the layout says; returns it for further set-up.
template<typename W>
W *place(W *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1StringView(name));
    widget->setGeometry(geometry);
    return widget;
}

// The same for a control made from its caption, as buttons, frames and labels are.
template<typename W>
W *place(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    return place(new W(caption, parent), name, geometry);
}

// The font the layouts ask for ("MS Sans Serif", regular) at a point size; where that face is
// missing, the system's sans serif stands in.
QFont layoutFont(qreal pointSize);

} // namespace arvelo
