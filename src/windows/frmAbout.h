#pragma once

#include "widgets/AppWindow.h"
#include "widgets/WindowSlot.h"

class QLabel;
class QPushButton;

// Product name, version and credits.
class frmAbout : public arvelo::AppWindow, public arvelo::SingleWindow<frmAbout>
{
    Q_OBJECT
public:
    frmAbout();

    // picIcon and lblDescription, set once, are the constructor's own.
    QPushButton *cmdOK = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
