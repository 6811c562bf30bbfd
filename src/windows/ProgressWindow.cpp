#include "windows/ProgressWindow.h"

#include <QScreen>

using namespace Qt::StringLiterals;

ProgressWindow::ProgressWindow(
    Qt::WindowFlags flags, const QString &name, const QString &caption, QSize clientSize)
    : AppWindow(flags, name, caption, u"progress"_s)
    , Label1(new arvelo::MessageLabel(this))
{
    resize(clientSize);
    // MessageLabel draws its text itself, from the top left and wrapped.
    Label1->setObjectName(u"Label1"_s);
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
