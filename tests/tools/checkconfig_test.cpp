// check-config run as a program: its verdicts agree with the client's loader, and it reads the user's feeds.
#include "settings/settings.h"
#include "support/configfixture.h"
#include "support/privatefolders.h"
#include "support/toolcases.h"

using namespace tavrin;
using namespace Qt::StringLiterals;

TEST(CheckConfigTool, AgreesWithTheLoaderAndExplainsUsage)
{
    const QString good = test::fixturePath("config", "good"), folder = test::PrivateFoldersListener::root();
    std::vector<test::ToolCase> cases = { { {}, 2, "" },
                                          { { "check-configs", good }, 2, "" },
                                          { { "check-config", good, good }, 2, "" },
                                          { { "check-config", folder + u"/absent.xml"_s }, 2, "" } };
    // Every configuration case of the loader's tests, written out: the tool prints the loader's verdict.
    for (const auto &[label, document, verdict, fields] : test::configCases()) {
        const QString path = folder + u"/case%1.xml"_s.arg(cases.size());
        ASSERT_TRUE(test::writeFile(path, document)) << label.toStdString();
        cases.push_back({ { "check-config", path }, verdict != u"accepted", verdict.toUtf8() + '\n' });
    }
    test::expectToolRuns(cases);

    // A feed of other media stored with an empty name makes every document fail, as in the client.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, u"sin_nombre"_s, {}, kOtherMediaKeyPath));
    const test::ToolRun run = test::runTool({ "check-config", good });
    EXPECT_TRUE(run.exitCode == 1 && run.out.contains("the user's feed \"sin_nombre\""))
        << run.out.toStdString();
}
