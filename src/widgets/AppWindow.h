#pragma once

#include <QWidget>

class QCloseEvent;

namespace arvelo {

// A top-level window that is loaded when first shown and destroyed when unloaded.
// The close box unloads it, exactly as the program's own unload does.
class AppWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AppWindow(Qt::WindowFlags flags);

    bool isUnloaded() const { return m_unloaded; }
    // The program's own unload: closes the window whatever userMayClose says.
    void unload();

    // Runs once, after construction and before the window first becomes visible.
    virtual void Form_Load() { }
    // Runs once, when the window is unloaded; it cannot cancel the unloading.
    virtual void Form_Unload() { }

protected:
    // Whether a close request from the user or the window manager (close box, Alt+F4) may
    // unload the window.
    virtual bool userMayClose() const { return true; }
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloaded = false;
    bool m_unloading = false;
};

// Window flags for the border styles the program uses.
Qt::WindowFlags fixedWindowFlags(bool closeBox);
Qt::WindowFlags sizableWithoutControlBoxFlags();

} // namespace arvelo
