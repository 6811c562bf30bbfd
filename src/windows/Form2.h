#pragma once

#include "widgets/WindowSlot.h"
#include "windows/ProgressWindow.h"

class QProgressBar;

// Shown while files are moved into their artist folders.
class Form2 : public ProgressWindow, public arvelo::SingleWindow<Form2>
{
    Q_OBJECT
public:
    Form2();

    // Shows how many of the files to move are done; the bar appears, below the message, at
    // the first call.
    void showProgress(qsizetype done, qsizetype total);

    QProgressBar *progressBar = nullptr;
};
