// Entry point of the Tavrin client.
#include "browser/schemes.h"

#include <QApplication>

int main(int argc, char **argv)
{
    tavrin::registerTavrinScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return 0;
}
