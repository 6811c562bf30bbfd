#include "widgets/Layout.h"

#include <QGuiApplication>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace arvelo {

int twips(int value)
{
    constexpr double TwipsPerInch = 1440.0;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return qRound(value * dpi / TwipsPerInch);
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QSize twipsSize(int width, int height)
{
    return QSize(twips(width), twips(height));
}

QFont layoutFont(qreal pointSize)
{
    QFont font(u"MS Sans Serif"_s);
    font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace arvelo
