// check-config run as a program: its verdicts agree with the client's loader, and it reads the user's feeds.
#include "config/configloader.h"
#include "settings/settings.h"
#include "support/privatefolders.h"
#include "support/toolcases.h"

#include <QDir>

using namespace tavrin;

TEST(CheckConfigTool, AgreesWithTheLoaderAndExplainsUsage)
{
    const auto check = [](const QString &path) { return QStringList { "check-config", path }; };
    const QString good = test::fixturePath("config", "good");
    const QString folder = test::PrivateFoldersListener::root();
    std::vector<test::ToolCase> cases = {
        { check(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml")), 0, "accepted\n" },
        { check(test::fixturePath("config", "no_prefs_window")), 1,
          "rejected: prefs_window: add_user_rss_url is missing or empty\n" },
        { {}, 2, "" },
        { { "check-config" }, 2, "" },
        { check(good) << good, 2, "" },
        { { "check-configs", good }, 2, "" },
        { check(folder + QStringLiteral("/absent.xml")), 2, "" },
        { check(folder), 2, "" },
    };
    const QDir dir(QStringLiteral(TAVRIN_SOURCE_DIR "/tests/data/config"));
    const QStringList names = dir.entryList({ QStringLiteral("*.xml") }, QDir::Files);
    ASSERT_GT(names.size(), 20);
    for (const QString &name : names) {
        ClientConfig config;
        QString reason;
        const bool ok = LoadConfigurationFile(dir.filePath(name), config, &reason);
        cases.push_back({ check(dir.filePath(name)), ok ? 0 : 1,
                          ok ? QByteArray("accepted\n") : "rejected: " + reason.toUtf8() + '\n' });
    }
    test::expectToolRuns(cases);

    // A feed of other media stored with an empty name makes every document fail, as in the client.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("sin_nombre"), QString(),
                                    kOtherMediaKeyPath));
    const test::ToolRun run = test::runTool(check(good));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains("the user's feed \"sin_nombre\"")) << run.out.toStdString();
}
