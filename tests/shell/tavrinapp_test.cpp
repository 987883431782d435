// Start-up of the application object: single copy, navigation sound, configuration sources, engine check.
#include "shell/engineversion.h"
#include "ui/messagebox.h"
#include "shell/navigationsound.h"
#include "shell/singleinstance.h"
#include "shell/tavrinapp.h"

#include "base/paths.h"
#include "settings/settings.h"
#include "config/liveconfig.h"
#include "mainwnd/tavrindlg.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/testpublisher.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using test::TestPublisher;

bool writeSound(const QString &text)
{
    return WriteRegistryString(RegistryRoot::CurrentUser, QString(), text, kNavigationSoundKeyPath,
                               RegistryType::ExpandString);
}

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstReleases)
{
    const QString path = SingleInstanceLockPath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Tavrin_ONE_AND_ONLY")));
    SingleInstanceLock first;
    SingleInstanceLock second;
    ASSERT_EQ(first.acquire(path), SingleInstanceLock::Result::Acquired);
    EXPECT_EQ(second.acquire(path), SingleInstanceLock::Result::HeldElsewhere);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_EQ(second.acquire(path), SingleInstanceLock::Result::Acquired);
    EXPECT_EQ(SingleInstanceLock().acquire(QStringLiteral("/nonexistent-folder/lock")),
              SingleInstanceLock::Result::Unavailable);
}

TEST(NavigationSound, TakeOverAndRestore)
{
    const struct {
        const char *name;
        std::optional<QString> current; // the sound value before start; none: absent
        std::optional<QString> leftByCrash; // previous_ie_sound before start
        QString saved; // what the program keeps to give back
        QString silencedValue; // the sound value while the program runs
        std::optional<QString> storedWhileRunning;
        QString afterRestore;
        std::optional<QString> storedAfterRestore;
    } cases[] = {
        { "ordinary sound", QStringLiteral("click.wav"), std::nullopt, QStringLiteral("click.wav"), QString(),
          QStringLiteral("click.wav"), QStringLiteral("click.wav"), std::nullopt },
        { "crash left the sound stored", QString(), QStringLiteral("old.wav"), QStringLiteral("old.wav"),
          QString(), QStringLiteral("old.wav"), QStringLiteral("old.wav"), std::nullopt },
        { "empty sound", QString(), std::nullopt, QString(), QString(), QString(), QString(), QString() },
        { "no sound value at all", std::nullopt, std::nullopt, QString(), QString(), std::nullopt, QString(),
          std::nullopt },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DeletePreviousNavigationSound();
        DeleteRegistryValue(RegistryRoot::CurrentUser, QString(), kNavigationSoundKeyPath);
        if (c.current) {
            ASSERT_TRUE(writeSound(*c.current));
        }
        if (c.leftByCrash) {
            ASSERT_TRUE(SetPreviousNavigationSound(*c.leftByCrash));
        }

        const QString saved = TakeOverNavigationSound();
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(CurrentNavigationSound(), c.silencedValue);
        QString stored;
        const bool has = GetPreviousNavigationSound(stored);
        EXPECT_EQ(has, c.storedWhileRunning.has_value());
        if (has && c.storedWhileRunning) {
            EXPECT_EQ(stored, *c.storedWhileRunning);
        }

        RestoreNavigationSound(saved);
        EXPECT_EQ(CurrentNavigationSound(), c.afterRestore);
        stored.clear();
        const bool left = GetPreviousNavigationSound(stored);
        EXPECT_EQ(left, c.storedAfterRestore.has_value());
        if (left && c.storedAfterRestore) {
            EXPECT_EQ(stored, *c.storedAfterRestore);
        }
    }
}

TEST(EngineVersion, MajorNumberDecides)
{
    const struct {
        const char *version;
        bool accepted;
    } cases[] = {
        { "6.0.2900.2180", true },  { "5.50.4807.2300", false }, { "", false },
        { "102.0.5005.177", true }, { "garbage", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(EngineVersionAccepted(QString::fromLatin1(c.version)), c.accepted);
    }
    EXPECT_EQ(ChromeVersionFromUserAgent(QStringLiteral(
                  "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) QtWebEngine/6.4.2 "
                  "Chrome/102.0.5005.177 Safari/537.36")),
              QStringLiteral("102.0.5005.177"));
    EXPECT_EQ(ChromeVersionFromUserAgent(QStringLiteral("Mozilla/5.0")), QString());
    // The engine the program is built with passes its own check.
    EXPECT_TRUE(EngineVersionAccepted(WebEngineVersion())) << WebEngineVersion().toStdString();
}

// Every message box of a start-up, answered at once.
class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetMessageBoxHook([this](const MessageBoxRequest &request) {
            shown.append(request);
            return QMessageBox::Ok;
        });
        liveConfig().replace(ClientConfig());
        installFolder = test::PrivateFoldersListener::root() + QStringLiteral("/install/");
        ASSERT_TRUE(QDir().mkpath(installFolder));
    }
    void TearDown() override { SetMessageBoxHook({}); }

    static void write(const QString &path, const QByteArray &bytes)
    {
        ASSERT_TRUE(test::writeFile(path, bytes));
    }

    QList<MessageBoxRequest> shown;
    QString installFolder;
    int argc = 1;
    char name[7] = "tavrin";
    char *argv[2] = { name, nullptr };
};

TEST_F(StartupTest, ConfigurationSources)
{
    TestPublisher stored;
    TestPublisher installed;
    const QString storedPath = test::PrivateFoldersListener::root() + QStringLiteral("/stored.xml");
    const QString brokenPath = test::PrivateFoldersListener::root() + QStringLiteral("/broken.xml");
    write(brokenPath, "<clientconfig><unclosed>");

    const struct {
        const char *name;
        QString configurationPath; // stored in the settings; empty: none
        bool storedFile;
        bool installedFile;
        CTavrinApp::StartResult result;
        QString expectedUrl; // the live configuration's own address afterwards
    } cases[] = {
        { "stored path wins", storedPath, true, true, CTavrinApp::StartResult::Started,
          stored.configuration().url },
        { "no stored path: the file beside the executable", QString(), false, true,
          CTavrinApp::StartResult::Started, installed.configuration().url },
        { "stored file invalid: the file beside the executable", brokenPath, false, true,
          CTavrinApp::StartResult::Started, installed.configuration().url },
        { "neither: fatal", brokenPath, false, false, CTavrinApp::StartResult::FatalError, QString() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        shown.clear();
        liveConfig().replace(ClientConfig());
        QFile::remove(storedPath);
        QFile::remove(installFolder + QStringLiteral("clientconfig.xml"));
        if (c.storedFile)
            write(storedPath, stored.configurationText());
        if (c.installedFile)
            write(installFolder + QStringLiteral("clientconfig.xml"), installed.configurationText());
        if (c.configurationPath.isEmpty())
            DeleteRegistryValue(RegistryRoot::CurrentUser, QStringLiteral("configuration_path"),
                                kSettingsKeyPath);
        else
            ASSERT_TRUE(SetConfigurationPath(c.configurationPath));

        CTavrinApp app(argc, argv);
        app.setInstallFolder(installFolder);
        EXPECT_EQ(app.InitInstance(), c.result);
        EXPECT_EQ(currentConfig()->url, c.expectedUrl);
        if (c.result == CTavrinApp::StartResult::Started) {
            EXPECT_TRUE(shown.isEmpty());
            ASSERT_NE(app.mainWindow(), nullptr);
            EXPECT_FALSE(app.mainWindow()->isVisible()) << "hidden until content is there";
        } else {
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown.at(0).icon, QMessageBox::Critical);
            EXPECT_EQ(shown.at(0).text, CTavrinApp::FatalMessage());
            EXPECT_EQ(app.mainWindow(), nullptr);
        }
    }
}

TEST_F(StartupTest, OldEngineShowsTextSixFromTheConfiguration)
{
    TestPublisher publisher;
    QByteArray text = publisher.configurationText();
    text.replace("<images/>", "<images/><texts><text id=\"ie6_not_installed\">Motor viejo</text></texts>");
    write(installFolder + QStringLiteral("clientconfig.xml"), text);

    const struct {
        const char *version;
        CTavrinApp::StartResult result;
    } cases[] = {
        { "5.50.4807.2300", CTavrinApp::StartResult::EngineTooOld },
        { "", CTavrinApp::StartResult::EngineTooOld },
        { "6.0.2900.2180", CTavrinApp::StartResult::Started },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.version);
        shown.clear();
        CTavrinApp app(argc, argv);
        app.setInstallFolder(installFolder);
        app.setEngineVersionSource([&] { return QString::fromLatin1(c.version); });
        EXPECT_EQ(app.InitInstance(), c.result);
        if (c.result == CTavrinApp::StartResult::EngineTooOld) {
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown.at(0).icon, QMessageBox::Critical);
            EXPECT_EQ(shown.at(0).text, QStringLiteral("Motor viejo"));
        } else {
            EXPECT_TRUE(shown.isEmpty());
        }
    }
}

TEST_F(StartupTest, SecondCopyEndsSilentlyAndLeavesTheSoundAlone)
{
    TestPublisher publisher;
    write(installFolder + QStringLiteral("clientconfig.xml"), publisher.configurationText());
    ASSERT_TRUE(writeSound(QString()));
    ASSERT_TRUE(SetPreviousNavigationSound(QStringLiteral("user.wav")));
    QFile leftover(TempFolder() + QStringLiteral("left.tmp"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    SingleInstanceLock firstCopy;
    ASSERT_EQ(firstCopy.acquire(SingleInstanceLockPath()), SingleInstanceLock::Result::Acquired);
    {
        CTavrinApp second(argc, argv);
        second.setInstallFolder(installFolder);
        EXPECT_EQ(second.InitInstance(), CTavrinApp::StartResult::OtherCopyRuns);
        EXPECT_EQ(second.mainWindow(), nullptr);
    }
    EXPECT_TRUE(shown.isEmpty());
    // The first copy's state is untouched: its silenced sound, the stored one, its temporary files.
    EXPECT_EQ(CurrentNavigationSound(), QString());
    QString stored;
    EXPECT_TRUE(GetPreviousNavigationSound(stored));
    EXPECT_EQ(stored, QStringLiteral("user.wav"));
    EXPECT_TRUE(leftover.exists());

    firstCopy.release();
    {
        CTavrinApp only(argc, argv);
        only.setInstallFolder(installFolder);
        EXPECT_EQ(only.InitInstance(), CTavrinApp::StartResult::Started);
        EXPECT_FALSE(leftover.exists()) << "the temporary folder is emptied at start";
        EXPECT_EQ(only.savedNavigationSound(), QStringLiteral("user.wav"));
    }
    EXPECT_EQ(CurrentNavigationSound(), QStringLiteral("user.wav")) << "given back at the end";
    EXPECT_FALSE(GetPreviousNavigationSound(stored));
}

} // namespace
} // namespace tavrin
