#pragma once

#include <QApplication>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QCloseEvent;

namespace arvelo {

// Geometry is written in twips (1/1440 inch) as the layouts give it; this turns it into
// device-independent pixels (15 twips a pixel at 96 dpi).
int twips(int value);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

// The program's title, used as the caption of its message box.
QString programTitle();

// The program's one kind of message: modal, one OK button, no icon, the program's title.
void showMessage(const QString &text);

// A top-level window that is loaded when first shown and destroyed when unloaded.
// The close box unloads it, exactly as the program's own unload does.
class AppWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AppWindow(Qt::WindowFlags flags);

    bool isUnloaded() const { return m_unloaded; }

    // Runs once, after construction and before the window first becomes visible.
    virtual void Form_Load() { }
    // Runs once, when the window is unloaded; it cannot cancel the unloading.
    virtual void Form_Unload() { }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloaded = false;
};

// Window flags for the border styles the program uses.
Qt::WindowFlags fixedWindowFlags(bool closeBox);
Qt::WindowFlags sizableWithoutControlBoxFlags();

// At most one window of a class: show creates it when absent (running its load handler
// first) and brings an open one to the front; unload closes and destroys it.
template<typename W>
class WindowSlot
{
public:
    W *get() const { return m_window && !m_window->isUnloaded() ? m_window.data() : nullptr; }
    bool isOpen() const { return get() != nullptr; }

    W &show()
    {
        if (!isOpen()) {
            m_window = new W;
            m_window->Form_Load();
            m_window->show();
        } else {
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
        }
        return *m_window;
    }

    void unload()
    {
        if (W *window = get())
            window->close();
    }

private:
    QPointer<W> m_window;
};

// Last resort for an error nobody handled: tell the user what went wrong, then end, rather
// than let an exception unwind through the event loop.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

[[noreturn]] void reportFatalError(const QString &what);

} // namespace arvelo
