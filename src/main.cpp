#include "widgets/Application.h"
#include "windows/Form1.h"

#include <QDir>

int main(int argc, char *argv[])
{
    arvelo::Application app(argc, argv);
    Form1::slot().show(arvelo::currentFolder());
    return app.exec();
}
