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
    // The engine's sandbox cannot run as root (CI), and the closed test network must not be probed.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArrayLiteral("1"));
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", QByteArrayLiteral("--disable-gpu --disable-background-networking "
                                                                "--disable-component-update"));
    tavrin::registerTavrinScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
