#include "widgets/WindowThread.h"

#include <QObject>
#include <QThread>

namespace arvelo {

void requireWindowThread(const QObject *control)
{
    if (control->thread() != QThread::currentThread())
        qFatal(
            "%s changed from a thread other than its window's", control->metaObject()->className());
}

} // namespace arvelo
