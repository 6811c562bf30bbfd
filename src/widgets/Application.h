#pragma once

#include <QApplication>

namespace arvelo {

// Last resort for an error nobody handled: tell the user what went wrong, then end, rather
// than let an exception unwind through the event loop.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace arvelo
