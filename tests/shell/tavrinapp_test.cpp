// Start-up of the application object (single copy, navigation sound, configuration sources, engine check)
// and the built client as a process (a second copy, an orderly end on SIGTERM).
#include "shell/tavrinapp.h"

#include "base/files.h"
#include "base/paths.h"
#include "config/texts.h"
#include "mainwnd/tavrindlg.h"
#include "settings/settings.h"
#include "shell/engineversion.h"
#include "shell/navigationsound.h"
#include "shell/singleinstance.h"
#include "support/appservices.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/testpublisher.h"
#include "support/waituntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <utility>

namespace tavrin {
namespace {

using namespace test;
using enum CTavrinApp::StartResult;
using enum SingleInstanceLock::Result;

bool writeSound(const QString &text)
{
    return WriteRegistryString(RegistryRoot::CurrentUser, QString(), text, kNavigationSoundKeyPath,
                               RegistryType::ExpandString);
}

// The navigation sound in force, and the one kept in the settings to be given back (none: nothing kept).
using Sounds = std::pair<QString, std::optional<QString>>;
Sounds sounds()
{
    QString kept;
    return { CurrentNavigationSound(),
             GetPreviousNavigationSound(kept) ? std::optional(kept) : std::nullopt };
}

TEST(NavigationSound, TakeOverSilencesAndRestoreGivesBack)
{
    constexpr auto none = std::nullopt;
    const QString click = QStringLiteral("click.wav");
    const QString old = QStringLiteral("old.wav");
    const struct {
        const char *name;
        std::optional<QString> current; // the sound value before start; none: absent
        std::optional<QString> leftByCrash; // the kept sound before start
        QString saved; // what the program keeps to give back
        std::optional<QString> keptWhileRunning;
        QString afterRestore;
        std::optional<QString> keptAfterRestore;
    } cases[] = {
        { "ordinary sound", click, none, click, click, click, none },
        { "crash left the sound kept", QString(), old, old, old, old, none },
        { "empty sound", QString(), none, QString(), QString(), QString(), QString() },
        { "no sound value at all", none, none, QString(), none, QString(), none },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DeletePreviousNavigationSound();
        DeleteRegistryValue(RegistryRoot::CurrentUser, QString(), kNavigationSoundKeyPath);
        ASSERT_TRUE(!c.current || writeSound(*c.current));
        ASSERT_TRUE(!c.leftByCrash || SetPreviousNavigationSound(*c.leftByCrash));
        const QString saved = TakeOverNavigationSound();
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(sounds(), Sounds(QString(), c.keptWhileRunning)) << "silenced while the program runs";
        RestoreNavigationSound(saved);
        EXPECT_EQ(sounds(), Sounds(c.afterRestore, c.keptAfterRestore));
    }
}

TEST(EngineVersion, ChromeVersionFromUserAgent)
{
    EXPECT_EQ(ChromeVersionFromUserAgent(QStringLiteral(
                  "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) QtWebEngine/6.4.2 "
                  "Chrome/102.0.5005.177 Safari/537.36")),
              QStringLiteral("102.0.5005.177"));
    EXPECT_EQ(ChromeVersionFromUserAgent(QStringLiteral("Mozilla/5.0")), QString());
}

// Start-ups with a configuration installed beside the program; every message box is answered at once.
class StartupTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(installFolder)); }
    void prepare(CTavrinApp &app)
    {
        app.setInstallFolder(installFolder);
        app.setMessageBoxes(&boxes);
    }
    static void write(const QString &path, const QByteArray &bytes) { ASSERT_TRUE(writeFile(path, bytes)); }

    const QString root = PrivateFoldersListener::root();
    const QString installFolder = root + QStringLiteral("/install/");
    const QString installed = installFolder + QStringLiteral("clientconfig.xml");
    RecordingBoxes boxes;
    int argc = 1;
    char name[7] = "tavrin";
    char *argv[2] = { name, nullptr };
};

TEST_F(StartupTest, ConfigurationSourcesAndEngineCheck)
{
    TestPublisher stored;
    TestPublisher beside;
    const QString storedPath = root + QStringLiteral("/stored.xml");
    const QString broken = root + QStringLiteral("/broken.xml");
    write(storedPath, stored.configurationText());
    write(broken, "<clientconfig><unclosed>");
    // The configuration beside the program has its own text for an engine that is too old.
    QByteArray besideText = beside.configurationText();
    besideText.replace("<images/>",
                       "<images/><texts><text id=\"ie6_not_installed\">Motor viejo</text></texts>");
    const QString url = beside.configuration().url;
    const QString tooOld = QStringLiteral("Motor viejo");
    const QString fatal = GetText(ClientConfig(), TextId::FatalError);

    const struct {
        const char *name;
        QString path; // the configuration path stored in the settings; empty: none
        bool beside; // a configuration file beside the program
        const char *engine; // the engine version read; null: the real one, which passes its own check
        CTavrinApp::StartResult result;
        QString url; // the live configuration's own address afterwards
        QString box; // the text of the one critical box; empty: no box
    } cases[] = {
        { "the stored path wins", storedPath, true, nullptr, Started, stored.configuration().url, {} },
        { "no stored path: the file beside", {}, true, nullptr, Started, url, {} },
        { "stored file invalid: the file beside", broken, true, nullptr, Started, url, {} },
        { "neither: the built-in fatal text", broken, false, nullptr, FatalError, {}, fatal },
        { "old engine: the configuration's text", {}, true, "5.50.4807.2300", EngineTooOld, url, tooOld },
        { "no engine version", {}, true, "", EngineTooOld, url, tooOld },
        { "garbage engine version", {}, true, "garbage", EngineTooOld, url, tooOld },
        { "engine 6 is enough", {}, true, "6.0.2900.2180", Started, url, {} },
        { "a major number above 9", {}, true, "102.0.5005.177", Started, url, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.asked.clear();
        if (c.beside)
            write(installed, besideText);
        else
            QFile::remove(installed);
        DeleteRegistryValue(RegistryRoot::CurrentUser, QStringLiteral("configuration_path"),
                            kSettingsKeyPath);
        ASSERT_TRUE(c.path.isEmpty() || SetConfigurationPath(c.path));
        CTavrinApp app(argc, argv);
        prepare(app);
        if (c.engine)
            app.setEngineVersionSource([&] { return QString::fromLatin1(c.engine); });
        EXPECT_EQ(app.InitInstance(), c.result);
        EXPECT_EQ(app.liveConfig().snapshot()->url, c.url);
        ASSERT_EQ(app.mainWindow() != nullptr, c.result == Started);
        EXPECT_FALSE(app.mainWindow() && app.mainWindow()->isVisible()) << "hidden until content is there";
        ASSERT_EQ(boxes.asked.size(), c.box.isEmpty() ? 0u : 1u);
        if (!c.box.isEmpty()) {
            EXPECT_EQ(boxes.asked[0].icon, QMessageBox::Critical);
            EXPECT_EQ(boxes.asked[0].text, c.box);
        }
    }
}

TEST_F(StartupTest, OneCopyAtATimeAndASecondCopyLeavesTheFirstCopysStateAlone)
{
    TestPublisher publisher;
    write(installed, publisher.configurationText());
    ASSERT_TRUE(writeSound(QString()));
    ASSERT_TRUE(SetPreviousNavigationSound(QStringLiteral("user.wav")));
    const QString leftover = TempFolder() + QStringLiteral("left.tmp");
    write(leftover, "x");

    const QString lock = SingleInstanceLockPath();
    EXPECT_TRUE(lock.endsWith(QStringLiteral("/Tavrin_ONE_AND_ONLY")));
    EXPECT_EQ(SingleInstanceLock().acquire(QStringLiteral("/nonexistent-folder/lock")), Unavailable);
    SingleInstanceLock firstCopy;
    SingleInstanceLock other;
    ASSERT_EQ(firstCopy.acquire(lock), Acquired);
    EXPECT_EQ(other.acquire(lock), HeldElsewhere);
    EXPECT_FALSE(other.held());
    {
        CTavrinApp second(argc, argv);
        prepare(second);
        EXPECT_EQ(second.InitInstance(), OtherCopyRuns);
        EXPECT_EQ(second.mainWindow(), nullptr);
    }
    EXPECT_TRUE(boxes.asked.empty());
    // The first copy's state is untouched: its silenced sound, the kept one, its temporary files.
    EXPECT_EQ(sounds(), Sounds(QString(), QStringLiteral("user.wav")));
    EXPECT_TRUE(QFile::exists(leftover));

    firstCopy.release();
    EXPECT_EQ(other.acquire(lock), Acquired);
    other.release();
    {
        CTavrinApp only(argc, argv);
        prepare(only);
        EXPECT_EQ(only.InitInstance(), Started);
        EXPECT_FALSE(QFile::exists(leftover)) << "the temporary folder is emptied at start";
        EXPECT_EQ(only.savedNavigationSound(), QStringLiteral("user.wav"));
    }
    EXPECT_EQ(sounds(), Sounds(QStringLiteral("user.wav"), std::nullopt)) << "given back at the end";
}

// The built client, started as the user would, in the test's private folders and environment.
TEST(TavrinProcess, SecondCopyExitsSilentlyAndTermEndsTheFirstInOrder)
{
    TestPublisher publisher;
    const QString configPath = PrivateFoldersListener::root() + QStringLiteral("/clientconfig.xml");
    ASSERT_TRUE(writeFile(configPath, publisher.configurationText()));
    ASSERT_TRUE(SetConfigurationPath(configPath));
    ASSERT_TRUE(writeSound(QStringLiteral("user.wav")));
    const QString binary = QStringLiteral(TAVRIN_BINARY_DIR "/src/tavrin");
    ASSERT_TRUE(QFile::exists(binary));

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(binary, {});
    ASSERT_TRUE(first.waitForStarted());
    // The first copy has the lock and has taken over the sound once its panes ask for pages.
    ASSERT_TRUE(waitUntil([&] { return publisher.hits("/loading.html") > 0; }, 60000));
    EXPECT_EQ(CurrentNavigationSound(), QString());

    QProcess second;
    second.start(binary, {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy keeps running";
    EXPECT_EQ(sounds(), Sounds(QString(), QStringLiteral("user.wav"))) << "the second copy gave nothing back";

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
    WindowRect rect;
    ASSERT_TRUE(LoadMainWindowRect(rect)) << "the window was placed when content came";
    EXPECT_EQ(QSize(rect.right - rect.left, rect.bottom - rect.top), QSize(320, 480));
    EXPECT_EQ(sounds(), Sounds(QStringLiteral("user.wav"), std::nullopt));
}

} // namespace
} // namespace tavrin
