#pragma once

#include "widgets/WindowSlot.h"
#include "windows/ProgressWindow.h"

// Shown while the scan runs.
class Caut : public ProgressWindow, public arvelo::SingleWindow<Caut>
{
    Q_OBJECT
public:
    Caut();
};
