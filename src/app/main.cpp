#include "app/Form1.h"

int main(int argc, char *argv[])
{
    arvelo::Application app(argc, argv);
    Form1::slot().show();
    return app.exec();
}
