#pragma once

#include "widgets/AppWindow.h"
#include "widgets/MessageLabel.h"

// What the scan and move windows share: a fixed message, and a place in the middle of the
// screen each time one opens. The handlers that open and close one hide and show the main
// window around it.
class ProgressWindow : public arvelo::AppWindow
{
    Q_OBJECT
public:
    ProgressWindow(
        Qt::WindowFlags flags, const QString &name, const QString &caption, QSize clientSize);

    arvelo::MessageLabel *Label1 = nullptr;

protected:
    // Without a control box nothing but the end of the work closes it, not even Alt+F4.
    bool userMayClose() const override { return false; }
    void showEvent(QShowEvent *event) override;
};
