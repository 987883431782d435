// Start-up of the application object (single copy, navigation sound, configuration sources, engine check)
// and the built client as a process (a second copy, an orderly end on SIGTERM).
#include "shell/tavrinapp.h"

#include "base/files.h"
#include "base/paths.h"
#include "mainwnd/tavrindlg.h"
#include "settings/settings.h"
#include "shell/engineversion.h"
#include "shell/navigationsound.h"
#include "support/appservices.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/testpublisher.h"
#include "support/waituntil.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <array>
#include <csignal>

namespace tavrin {
namespace {

using namespace test;
using namespace Qt::StringLiterals;
using enum CTavrinApp::StartResult;
using enum SingleInstanceLock::Result;

// The navigation sound in force and the one kept to be given back, as "current|kept" ("-": none kept).
std::string sounds()
{
    QString kept;
    return (CurrentNavigationSound() + '|' + (GetPreviousNavigationSound(kept) ? kept : "-")).toStdString();
}

TEST(NavigationSound, TakeOverSilencesAndRestoreGivesBack)
{
    // Before the start ("-": no value), saved, running, after the end (the process test: an ordinary one).
    const std::array<const char *, 4> cases[] = {
        { "|old.wav", "old.wav", "|old.wav", "old.wav|-" }, // a crash left the sound kept
        { "|-", "", "|", "|" }, // an empty sound
        { "-|-", "", "|-", "|-" }, // no sound value at all
    };
    for (const auto &[before, saved, running, after] : cases) {
        SCOPED_TRACE(before);
        DeletePreviousNavigationSound();
        DeleteRegistryValue(RegistryRoot::CurrentUser, {}, kNavigationSoundKeyPath);
        const QStringList sound = QString::fromLatin1(before).split(u'|');
        ASSERT_TRUE(sound[0] == u"-"
                    || WriteRegistryString(RegistryRoot::CurrentUser, {}, sound[0], kNavigationSoundKeyPath));
        ASSERT_TRUE(sound[1] == u"-" || SetPreviousNavigationSound(sound[1]));
        const QString taken = TakeOverNavigationSound();
        EXPECT_EQ(taken.toStdString(), saved);
        EXPECT_EQ(sounds(), running) << "silenced while the program runs";
        RestoreNavigationSound(taken);
        EXPECT_EQ(sounds(), after);
    }
}

// Start-ups with configurations stored and installed beside the program; every message box is answered.
TEST(Startup, ConfigurationSourcesAndEngineCheck)
{
    EXPECT_EQ(ChromeVersionFromUserAgent(u"Mozilla/5.0 Chrome/102.0.5005.177 Safari/537.36"_s),
              u"102.0.5005.177"_s);
    EXPECT_EQ(ChromeVersionFromUserAgent(u"Mozilla/5.0"_s), QString());

    const QString root = PrivateFoldersListener::root();
    TestPublisher stored, beside;
    ASSERT_TRUE(writeFile(root + u"/stored.xml"_s, stored.configurationText())
                && writeFile(root + u"/broken.xml"_s, "<clientconfig><unclosed>")
                && writeFile(root + u"/clientconfig.xml"_s, beside.configurationText()));
    const QString url = beside.configuration().url, old = u"Motor viejo"_s; // the configuration's own text
    const QString fatal = GetText({}, TextId::FatalError);
    const struct {
        const char *name, *stored, *engine; // stored: a path under root; engine: null for the real one's
        bool beside; // a configuration file beside the program
        CTavrinApp::StartResult result;
        QString url, box; // the live configuration's own address afterwards; the critical box's text
    } cases[] = {
        { "the stored path wins", "/stored.xml", nullptr, true, Started, stored.configuration().url, {} },
        { "no stored path: the file beside", "", nullptr, true, Started, url, {} },
        { "stored file invalid: the file beside", "/broken.xml", nullptr, true, Started, url, {} },
        { "neither: the built-in fatal text", "/broken.xml", nullptr, false, FatalError, {}, fatal },
        { "old engine: the configuration's text", "", "5.50.4807.2300", true, EngineTooOld, url, old },
        { "no engine version", "", "", true, EngineTooOld, url, old },
        { "garbage engine version", "", "garbage", true, EngineTooOld, url, old },
        { "engine 6 is enough", "", "6.0.2900.2180", true, Started, url, {} },
        { "a major number above 9", "", "102.0.5005.177", true, Started, url, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SetConfigurationPath(*c.stored ? root + QLatin1String(c.stored) : QString()));
        RecordingBoxes boxes;
        int argc = 0; // the test's application object is used
        CTavrinApp app(argc, nullptr);
        app.setInstallFolder(c.beside ? root : root + u"/empty/"_s);
        app.setMessageBoxes(&boxes);
        if (c.engine)
            app.setEngineVersionSource([&] { return QString::fromLatin1(c.engine); });
        EXPECT_EQ(app.InitInstance(), c.result);
        EXPECT_EQ(app.liveConfig().snapshot()->url, c.url);
        EXPECT_EQ(app.mainWindow() && !app.mainWindow()->isVisible(), c.result == Started); // hidden at first
        ASSERT_EQ(boxes.asked.size(), c.box.isEmpty() ? 0u : 1u);
        EXPECT_TRUE(c.box.isEmpty()
                    || (boxes.asked[0].icon == QMessageBox::Critical && boxes.asked[0].text == c.box));
    }
}

// The built client, started as the user would, in the test's private folders and environment.
TEST(TavrinProcess, SecondCopyExitsSilentlyAndTermEndsTheFirstInOrder)
{
    TestPublisher publisher;
    const QString config = PrivateFoldersListener::root() + u"/c.xml"_s, leftover = TempFolder() + u"x"_s;
    const QString binary = QStringLiteral(TAVRIN_BINARY_DIR "/src/tavrin");
    ASSERT_TRUE(writeFile(config, publisher.configurationText()) && SetConfigurationPath(config));
    RestoreNavigationSound(u"user.wav"_s); // the user's sound
    ASSERT_TRUE(writeFile(leftover, "x"));

    QProcess first, second;
    first.start(binary, {});
    // The first copy has the lock and has taken over the sound once its panes ask for pages.
    ASSERT_TRUE(waitUntil([&] { return publisher.hits("/loading.html") > 0; }, 60000));
    ASSERT_TRUE(!QFile::exists(leftover) && writeFile(leftover, "x")) << "emptied at start";
    EXPECT_EQ(sounds(), "|user.wav");

    second.start(binary, {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_TRUE(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0
                && second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy keeps running";
    EXPECT_TRUE(sounds() == "|user.wav" && QFile::exists(leftover)) << "the first copy's state stays";

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_TRUE(first.exitStatus() == QProcess::NormalExit && first.exitCode() == 0);
    EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
    WindowRect rect; // placed at the design size when content came
    EXPECT_TRUE(LoadMainWindowRect(rect) && rect.right - rect.left == 320 && rect.bottom - rect.top == 480);
    EXPECT_EQ(sounds(), "user.wav|-") << "given back at the end";

    // The lock ended with the process; a lock held here is given up by release; without its folder, none.
    SingleInstanceLock lock, other;
    ASSERT_EQ(lock.acquire(SingleInstanceLockPath()), Acquired);
    EXPECT_TRUE(other.acquire(SingleInstanceLockPath()) == HeldElsewhere && !other.held());
    lock.release();
    EXPECT_EQ(other.acquire(SingleInstanceLockPath()), Acquired);
    EXPECT_EQ(lock.acquire(u"/nonexistent-folder/lock"_s), Unavailable) << "the start says so";
}

} // namespace
} // namespace tavrin
