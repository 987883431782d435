// Entry of the GUI tests: one QApplication on the offscreen platform (or a given one) with the real web
// engine.
#include "browser/engineprocesses.h"
#include "browser/schemes.h"
#include "support/privatefolders.h"
#include "support/sanitizeroptions.h"

#include <QApplication>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
namespace {
// The engine deletes some of its own objects through a base of another size; that check cannot be
// narrowed to its library, so it is off for the GUI programs only.
constexpr char kAsanOptions[] = "new_delete_type_mismatch=0";
constexpr char kLsanOptions[] = "suppressions='" TAVRIN_SOURCE_DIR "/tests/support/lsan-webengine.supp'";
} // namespace

extern "C" __attribute__((used, visibility("default"))) const char *__asan_default_options()
{
    return kAsanOptions;
}

extern "C" __attribute__((used, visibility("default"))) const char *__lsan_default_options()
{
    return kLsanOptions;
}
#endif

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    tavrin::test::installPrivateFolders();
#if defined(__SANITIZE_ADDRESS__)
    // The client started by the process tests loads the same engine.
    tavrin::test::prependSanitizerOptions("ASAN_OPTIONS", kAsanOptions);
    tavrin::test::prependSanitizerOptions("LSAN_OPTIONS", kLsanOptions);
#endif
    // Offscreen unless a test entry asks for a real X server (the pointer tests under Xvfb).
    const QByteArray platform = qgetenv("TAVRIN_TEST_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArrayLiteral("offscreen") : platform);
    // The engine's sandbox cannot run as root (CI), and the closed test network must not be probed.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArrayLiteral("1"));
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                QByteArrayLiteral("--disable-gpu --disable-background-networking "
                                  "--disable-component-update"));
    tavrin::registerLinkSchemes();
    tavrin::ConfigureWebEngineProcesses();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
