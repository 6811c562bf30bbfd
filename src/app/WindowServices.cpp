#include "app/WindowServices.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QScreen>

#include <cstdlib>
#include <exception>

namespace arvelo {

namespace {

constexpr double TwipsPerInch = 1440.0;

double logicalDpi()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY();
    return 96.0;
}

} // namespace

int twips(int value)
{
    return qRound(value * logicalDpi() / TwipsPerInch);
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QSize twipsSize(int width, int height)
{
    return QSize(twips(width), twips(height));
}

QString programTitle()
{
    return QStringLiteral("Arvelo");
}

void showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

AppWindow::AppWindow(Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void AppWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

Qt::WindowFlags fixedWindowFlags(bool closeBox)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::MSWindowsFixedSizeDialogHint;
    if (closeBox)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

Qt::WindowFlags sizableWithoutControlBoxFlags()
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
}

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(programTitle());
    setApplicationDisplayName(programTitle());
    setApplicationVersion(QStringLiteral(ARVELO_VERSION));
    setDesktopFileName(QStringLiteral("arvelo"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        reportFatalError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportFatalError(QStringLiteral("Unknown error"));
    }
}

void reportFatalError(const QString &what)
{
    QMessageBox::critical(nullptr, programTitle(),
        QStringLiteral("Run-time error: %1\n\nArvelo has to close.").arg(what));
    std::exit(EXIT_FAILURE);
}

} // namespace arvelo
