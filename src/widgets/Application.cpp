#include "widgets/Application.h"

#include "widgets/MessageBox.h"

#include <QMessageBox>

#include <cstdlib>
#include <exception>

using namespace Qt::StringLiterals;

namespace arvelo {

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // No display name of our own: the platform would append it to every window's caption.
    setApplicationName(programTitle());
    setApplicationVersion(QString::fromUtf8(ARVELO_VERSION));
    setDesktopFileName(u"arvelo"_s);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    QString what;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        what = QString::fromLocal8Bit(error.what());
    } catch (...) {
        what = u"Unknown error"_s;
    }
    QMessageBox::critical(
        nullptr, programTitle(), u"Run-time error: %1\n\nArvelo has to close."_s.arg(what));
    std::exit(EXIT_FAILURE);
}

} // namespace arvelo
