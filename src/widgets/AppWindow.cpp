#include "widgets/AppWindow.h"

#include <QCloseEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace arvelo {

AppWindow::AppWindow(
    Qt::WindowFlags flags, const QString &name, const QString &caption, const QString &icon)
    : QWidget(nullptr, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(name);
    setWindowTitle(caption);
    setWindowIcon(bundledIcon(icon));
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, [] {
        if (helpKey())
            helpKey()();
    });
}

std::function<void()> &AppWindow::helpKey()
{
    // Made on first use, so it is there whenever the window that gives help sets it.
    static std::function<void()> showHelp;
    return showHelp;
}

void AppWindow::unload()
{
    m_unloaded = true;
    close();
}

void AppWindow::bringToFront()
{
    // A window that has just appeared is in front already.
    const bool wasShown = isVisible();
    show();
    if (wasShown)
        raise();
    activateWindow();
}

void AppWindow::hideInPlace()
{
    // The client area, not the frame: its place is what the window manager keeps as given.
    m_place = geometry();
    m_screen = screen();
    hide();
}

void AppWindow::showInPlace()
{
    // The place lies on the screen it was on; if that screen has gone meanwhile, the window
    // manager chooses.
    if (m_screen) {
        resize(m_place.size());
        // Set on the native window even when Qt thinks it is there already, so the window
        // manager is told the place instead of choosing one.
        if (QWindow *native = windowHandle())
            native->setPosition(m_place.topLeft());
        else
            move(m_place.topLeft());
    }
    m_screen.clear();
    bringToFront();
}

void AppWindow::closeEvent(QCloseEvent *event)
{
    // Once unloaded, a window stays so: the program's unload is never taken back, and each kind
    // of window either always or never lets the user close it.
    m_unloaded = m_unloaded || userMayClose();
    event->setAccepted(m_unloaded);
}

Qt::WindowFlags sizableWithoutControlBoxFlags()
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
}

Qt::WindowFlags fixedWindowFlags(bool closeBox)
{
    const Qt::WindowFlags closing = Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return sizableWithoutControlBoxFlags() | Qt::MSWindowsFixedSizeDialogHint
        | (closeBox ? closing : Qt::WindowFlags());
}

QIcon bundledIcon(const QString &stem)
{
    QIcon icon;
    for (const int size : {16, 32})
        icon.addFile(u":/%1-%2.png"_s.arg(stem).arg(size), QSize(size, size));
    return icon;
}

} // namespace arvelo
