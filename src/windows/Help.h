#pragma once

#include "widgets/AppWindow.h"
#include "widgets/WindowSlot.h"

class QPushButton;

namespace arvelo {
class TextBox;
} // namespace arvelo

// Explains the main window's buttons and options; leads on to the About window.
class Help : public arvelo::AppWindow, public arvelo::SingleWindow<Help>
{
    Q_OBJECT
public:
    Help();

    // The fixed help text, lines broken by CR LF.
    static QString helpText();

    arvelo::TextBox *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};
