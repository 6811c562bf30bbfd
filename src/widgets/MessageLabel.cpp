#include "widgets/MessageLabel.h"

#include <QPainter>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace arvelo {

namespace {

constexpr int DrawFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// The label's font, or a smaller one where that would not fit the whole text into area.
QFont fittedFont(QFont font, const QRect &area, const QString &text)
{
    for (qreal size = font.pointSizeF(); size > 4; size -= 0.5) {
        font.setPointSizeF(size);
        const QRect needed = QFontMetrics(font).boundingRect(area, DrawFlags, text);
        if (needed.width() <= area.width() && needed.height() <= area.height())
            break;
    }
    return font;
}

} // namespace

QString MessageLabel::displayText() const
{
    static const QRegularExpression runOfBlanks(u"  +"_s);
    return text().replace(runOfBlanks, u"\n"_s);
}

void MessageLabel::paintEvent(QPaintEvent *)
{
    // Only what the window shows of the label counts.
    const QRect area = contentsRect().intersected(parentWidget()->rect().translated(-pos()));
    const QString shown = displayText();
    QPainter painter(this);
    painter.setFont(fittedFont(font(), area, shown));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, DrawFlags, shown);
}

} // namespace arvelo
