#include "widgets/AppWindow.h"

#include <QCloseEvent>

namespace arvelo {

AppWindow::AppWindow(Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void AppWindow::unload()
{
    m_unloading = true;
    close();
}

void AppWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloading && !userMayClose()) {
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

Qt::WindowFlags fixedWindowFlags(bool closeBox)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::MSWindowsFixedSizeDialogHint;
    if (closeBox)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

Qt::WindowFlags sizableWithoutControlBoxFlags()
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
}

} // namespace arvelo
