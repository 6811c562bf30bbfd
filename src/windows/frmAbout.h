#pragma once

#include "app/WindowServices.h"

class QKeyEvent;
class QLabel;
class QPushButton;

// Product name, version and credits.
class frmAbout : public arvelo::AppWindow
{
    Q_OBJECT
public:
    frmAbout();

    static arvelo::WindowSlot<frmAbout> &slot();
    // Author, contact and a request for reports, one a line.
    static QString creditText();

    QLabel *picIcon = nullptr;
    QPushButton *cmdOK = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void cmdOK_Click();
};
