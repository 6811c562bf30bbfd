#include "widgets/MessageLabel.h"

#include <QPainter>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

constexpr int DrawFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

QString MessageLabel::displayText() const
{
    static const QRegularExpression runOfBlanks(u"  +"_s);
    return text().replace(runOfBlanks, u"\n"_s);
}

QFont MessageLabel::fittedFont() const
{
    const QRect area = contentsRect().intersected(parentWidget()->rect().translated(-pos()));
    const QString shown = displayText();
    QFont candidate = font();
    for (qreal size = candidate.pointSizeF(); size > 4; size -= 0.5) {
        candidate.setPointSizeF(size);
        const QRect needed = QFontMetrics(candidate).boundingRect(area, DrawFlags, shown);
        if (needed.width() <= area.width() && needed.height() <= area.height())
            break;
    }
    return candidate;
}

void MessageLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(fittedFont());
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect().intersected(parentWidget()->rect().translated(-pos()));
    painter.drawText(area, DrawFlags, displayText());
}

} // namespace arvelo
