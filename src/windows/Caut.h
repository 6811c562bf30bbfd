#pragma once

#include "windows/ProgressWindow.h"

// Shown while the scan runs.
class Caut : public arvelo::ProgressWindow
{
    Q_OBJECT
public:
    Caut();
    static arvelo::WindowSlot<Caut> &slot();
    static QString message();
};
