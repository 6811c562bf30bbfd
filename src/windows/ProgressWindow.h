#pragma once

#include "app/WindowServices.h"

class QLabel;

namespace arvelo {

// What the scan and move windows share: while one is open it stands in for the main window.
class ProgressWindow : public AppWindow
{
    Q_OBJECT
public:
    ProgressWindow(Qt::WindowFlags flags, const QString &caption, QSize clientSize);

    void Form_Load() override;
    void Form_Unload() override;

    QLabel *Label1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

QIcon progressIcon();

} // namespace arvelo
