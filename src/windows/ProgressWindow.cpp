#include "windows/ProgressWindow.h"

#include <QScreen>

using namespace Qt::StringLiterals;

ProgressWindow::ProgressWindow(
    Qt::WindowFlags flags, const QString &name, const QString &caption, QSize clientSize)
    : AppWindow(flags, name, caption, u"progress"_s)
    , Label1(new arvelo::MessageLabel(this))
{
    resize(clientSize);
    Label1->setObjectName(u"Label1"_s);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
