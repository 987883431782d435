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
    // The engine's sandbox cannot run as root (CI); ctest's environment list does not reach every test.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArrayLiteral("1"));
    tavrin::registerTavrinScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
