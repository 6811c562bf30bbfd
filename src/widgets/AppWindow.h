#pragma once

#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QScreen;

namespace arvelo {

// A top-level window that is loaded when first shown and destroyed when unloaded.
// The close box unloads it, exactly as the program's own unload does.
class AppWindow : public QWidget
{
    Q_OBJECT
public:
    // name is the window's object name, icon the stem of its bundled icon (see bundledIcon).
    AppWindow(
        Qt::WindowFlags flags, const QString &name, const QString &caption, const QString &icon);

    bool isUnloaded() const { return m_unloaded; }
    // The program's own unload: closes the window whatever userMayClose says.
    void unload();

    // Shows the window in front and makes it the active window, with the keyboard on its
    // focused control. A window manager leaves a window that merely appears behind the one
    // the user works in.
    void bringToFront();
    // Takes the window off the screen, remembering where the user left it.
    void hideInPlace();
    // Shows it again exactly there, same size, same screen, and makes it the active window;
    // left alone, the window manager would place it anew.
    void showInPlace();

    // What F1 does in every window: set once, by the window that gives help.
    static std::function<void()> &helpKey();

    // Runs once, after construction and before the window first becomes visible.
    virtual void Form_Load() { }

protected:
    // Whether a close request from the user or the window manager (close box, Alt+F4) may
    // unload the window.
    virtual bool userMayClose() const { return true; }
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloaded = false;
    // Where hideInPlace left the window, and on which screen; no screen, no place to go back to.
    QRect m_place;
    QPointer<QScreen> m_screen;
};

// Window flags for the border styles the program uses.
Qt::WindowFlags fixedWindowFlags(bool closeBox);
Qt::WindowFlags sizableWithoutControlBoxFlags();

// One of the program's icons, drawn at 16 and 32 pixels and bundled as resources: "arvelo" for
// the main window, the About box and the desktop entry, "progress" for the scan and move
// windows, "help" for the help window.
QIcon bundledIcon(const QString &stem);

} // namespace arvelo
