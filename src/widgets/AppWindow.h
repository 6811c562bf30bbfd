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

} // namespace arvelo
