// check-config run as a program: its verdicts agree with the client's loader, and it reads the user's feeds.
#include "settings/settings.h"
#include "support/configfixture.h"
#include "support/privatefolders.h"
#include "support/toolcases.h"

using namespace tavrin;

TEST(CheckConfigTool, AgreesWithTheLoaderAndExplainsUsage)
{
    const auto check = [](const QString &path) { return QStringList { "check-config", path }; };
    const QString good = test::fixturePath("config", "good");
    const QString folder = test::PrivateFoldersListener::root();
    std::vector<test::ToolCase> cases = {
        { check(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml")), 0, "accepted\n" },
        { {}, 2, "" },
        { { "check-config" }, 2, "" },
        { check(good) << good, 2, "" },
        { { "check-configs", good }, 2, "" },
        { check(folder + QStringLiteral("/absent.xml")), 2, "" },
        { check(folder), 2, "" },
    };
    // Every configuration case of the loader's tests, written out: the tool prints the loader's verdict.
    int n = 0;
    for (const test::ConfigCase &c : test::configCases()) {
        const QString path = folder + QStringLiteral("/case%1.xml").arg(n++);
        ASSERT_TRUE(test::writeFile(path, c.document)) << c.label.toStdString();
        cases.push_back(
            { check(path), c.verdict == QStringLiteral("accepted") ? 0 : 1, c.verdict.toUtf8() + '\n' });
    }
    test::expectToolRuns(cases);

    // A feed of other media stored with an empty name makes every document fail, as in the client.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("sin_nombre"), QString(),
                                    kOtherMediaKeyPath));
    const test::ToolRun run = test::runTool(check(good));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains("the user's feed \"sin_nombre\"")) << run.out.toStdString();
}
