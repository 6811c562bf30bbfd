#pragma once

#include "windows/ProgressWindow.h"

// Shown while files are moved into their artist folders.
class Form2 : public arvelo::ProgressWindow
{
    Q_OBJECT
public:
    Form2();
    static arvelo::WindowSlot<Form2> &slot();
};
