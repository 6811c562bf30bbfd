#include "widgets/Layout.h"

using namespace Qt::StringLiterals;

namespace arvelo {

QFont layoutFont(qreal pointSize)
{
    QFont font(u"MS Sans Serif"_s);
    font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace arvelo
