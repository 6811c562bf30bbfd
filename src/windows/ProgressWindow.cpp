#include "windows/ProgressWindow.h"

#include "app/AppIcon.h"
#include "app/Form1.h"

#include <QPainter>
#include <QRegularExpression>
#include <QScreen>

namespace arvelo {

ProgressWindow::ProgressWindow(Qt::WindowFlags flags, const QString &caption, QSize clientSize)
    : AppWindow(flags)
    , Label1(new MessageLabel(this))
{
    setWindowTitle(caption);
    setWindowIcon(progressIcon());
    resize(clientSize);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ProgressWindow::Form_Load()
{
    if (Form1 *main = Form1::slot().get())
        main->hide();
}

void ProgressWindow::Form_Unload()
{
    Form1::slot().show();
}

void ProgressWindow::showEvent(QShowEvent *event)
{
    // Centred on the screen each time it opens.
    if (const QScreen *where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
    AppWindow::showEvent(event);
}

QString MessageLabel::displayText() const
{
    static const QRegularExpression runOfBlanks(QStringLiteral("  +"));
    return text().replace(runOfBlanks, QStringLiteral("\n"));
}

QFont MessageLabel::fittedFont() const
{
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRect area = contentsRect().intersected(parentWidget()->rect().translated(-pos()));
    const QString shown = displayText();
    QFont candidate = font();
    for (qreal size = candidate.pointSizeF(); size > 4; size -= 0.5) {
        candidate.setPointSizeF(size);
        const QRect needed = QFontMetrics(candidate).boundingRect(area, flags, shown);
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
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, displayText());
}

} // namespace arvelo
