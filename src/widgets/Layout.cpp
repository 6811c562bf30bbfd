#include "widgets/Layout.h"

#include <QGuiApplication>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

constexpr double TwipsPerInch = 1440.0;

double logicalDpi()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY();
    return 96.0;
}

} // namespace

int twips(int value)
{
    return qRound(value * logicalDpi() / TwipsPerInch);
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
