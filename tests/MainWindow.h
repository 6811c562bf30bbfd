#pragma once

// The main window driven as a user drives it: each press waits until the window is back.

#include "windows/Caut.h"
#include "windows/Form1.h"
#include "windows/Form2.h"
#include "windows/Help.h"
#include "windows/frmAbout.h"

#include "MessageBoxes.h"

#include <QPushButton>
#include <QTest>

inline void pressScan(Form1 &form)
{
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QTRY_VERIFY(!Caut::slot().isOpen() && form.isVisible());
}

// The main window opened on folder, scanned.
inline Form1 &scanned(const QString &folder)
{
    Form1 &form = Form1::slot().show(folder);
    pressScan(form);
    return form;
}

// Returns the texts of the messages the move showed, each answered with OK.
inline QStringList pressMove(Form1 &form)
{
    MessageBoxAnswerer user;
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    [&] { QTRY_VERIFY(!Form2::slot().isOpen() && form.isVisible()); }();
    return user.texts;
}

// Every window closed and gone, so that the next test starts afresh.
inline void unloadWindows()
{
    frmAbout::slot().unload();
    Help::slot().unload();
    Caut::slot().unload();
    Form2::slot().unload();
    Form1::slot().unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
