#include "cli/CommandLine.h"
#include "widgets/Application.h"
#include "windows/Form1.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Read before the application object exists: --help needs no display. Without a FOLDER
    // argument the window starts in the current folder.
    const arvelo::StartUp start
        = arvelo::readCommandLine(arvelo::argumentsOf(argc, argv), arvelo::currentFolder());
    arvelo::printMessages(start);
    // A verb runs on the core alone, with no display.
    if (start.verb) {
        QCoreApplication app(argc, argv);
        return start.verb(start.request);
    }
    if (!start.folder)
        return start.exitCode;

    arvelo::Application app(argc, argv);
    Form1::slot().show(*start.folder);
    return app.exec();
}
