#pragma once

#include "widgets/WindowSlot.h"
#include "windows/ProgressWindow.h"

// Shown while files are moved into their artist folders.
class Form2 : public ProgressWindow, public arvelo::SingleWindow<Form2>
{
    Q_OBJECT
public:
    Form2();
};
