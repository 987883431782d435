// The built client as a process: one copy at a time, and an orderly end on SIGTERM.
#include "base/files.h"
#include "base/paths.h"
#include "settings/settings.h"
#include "shell/navigationsound.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/waituntil.h"
#include "support/testpublisher.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace tavrin {
namespace {

using test::waitUntil;

QProcessEnvironment clientEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
               QStringLiteral("--disable-gpu --no-sandbox --disable-background-networking"));
    return env;
}

TEST(TavrinProcess, SecondCopyExitsSilentlyAndTermEndsTheFirstInOrder)
{
    test::TestPublisher publisher;
    const QString configPath = test::PrivateFoldersListener::root() + QStringLiteral("/clientconfig.xml");
    ASSERT_TRUE(test::writeFile(configPath, publisher.configurationText()));
    ASSERT_TRUE(SetConfigurationPath(configPath));
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QString(), QStringLiteral("user.wav"),
                                    kNavigationSoundKeyPath, RegistryType::ExpandString));

    const QString binary = QStringLiteral(TAVRIN_BINARY_DIR "/src/tavrin");
    ASSERT_TRUE(QFile::exists(binary));
    QProcess first;
    first.setProcessEnvironment(clientEnvironment());
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(binary, {});
    ASSERT_TRUE(first.waitForStarted());
    // The first copy has the lock and has taken over the sound once its panes ask for pages.
    ASSERT_TRUE(waitUntil([&] { return publisher.server().hits("/loading.html") > 0; }, 60000));
    EXPECT_EQ(CurrentNavigationSound(), QString());

    QProcess second;
    second.setProcessEnvironment(clientEnvironment());
    second.start(binary, {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy keeps running";
    QString stored;
    EXPECT_TRUE(GetPreviousNavigationSound(stored)) << "the second copy gave nothing back";
    EXPECT_EQ(stored, QStringLiteral("user.wav"));
    EXPECT_EQ(CurrentNavigationSound(), QString());

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
    WindowRect rect;
    ASSERT_TRUE(LoadMainWindowRect(rect)) << "the window was placed when content came";
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(rect.bottom - rect.top, 480);
    EXPECT_EQ(CurrentNavigationSound(), QStringLiteral("user.wav"));
    EXPECT_FALSE(GetPreviousNavigationSound(stored));
}

} // namespace
} // namespace tavrin
