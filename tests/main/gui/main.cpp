// Entry of the GUI tests: one QApplication on the offscreen platform with the real web engine.
#include "browser/schemes.h"
#include "support/privatefolders.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    tavrin::test::installPrivateFolders();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    tavrin::registerTavrinScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
