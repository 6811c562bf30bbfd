#include "windows/ProgressWindow.h"

#include "app/Form1.h"

#include <QLabel>
#include <QScreen>

namespace arvelo {

ProgressWindow::ProgressWindow(Qt::WindowFlags flags, const QString &caption, QSize clientSize)
    : AppWindow(flags)
    , Label1(new QLabel(this))
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

QIcon progressIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/progress-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/progress-32.png"), QSize(32, 32));
    return icon;
}

} // namespace arvelo
