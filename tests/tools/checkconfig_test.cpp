// The publisher's checker run as a program: exit codes, output and agreement with the client's loader.
#include "config/configloader.h"
#include "settings/settings.h"
#include "support/configfixture.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace tavrin;

namespace {

struct Answer {
    int exitCode;
    QString out;
};

Answer checkConfig(const QString &path)
{
    const test::ToolRun run = test::runTool({ QStringLiteral("check-config"), path });
    return { run.exitCode, QString::fromUtf8(run.out) };
}

QString fixture(const char *name)
{
    return test::fixturePath("config", name);
}

} // namespace

TEST(CheckConfigTool, AcceptsRejectsAndExplainsUsage)
{
    const Answer shipped = checkConfig(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml"));
    EXPECT_EQ(shipped.exitCode, 0) << qPrintable(shipped.out);
    EXPECT_EQ(shipped.out, QStringLiteral("accepted\n"));

    const Answer rejected = checkConfig(fixture("no_prefs_window"));
    EXPECT_EQ(rejected.exitCode, 1);
    EXPECT_EQ(rejected.out, QStringLiteral("rejected: prefs_window: add_user_rss_url is missing or empty\n"));

    QTemporaryDir dir;
    const QStringList wrong[] = {
        {},
        { QStringLiteral("check-config") },
        { QStringLiteral("check-config"), fixture("good"), fixture("good") },
        { QStringLiteral("check-configs"), fixture("good") },
        { QStringLiteral("check-config"), dir.filePath(QStringLiteral("absent.xml")) },
        { QStringLiteral("check-config"), dir.path() },
    };
    for (const QStringList &args : wrong) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const test::ToolRun run = test::runTool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains("usage: tavrin-tool")) << run.err.toStdString();
    }
}

TEST(CheckConfigTool, PrintsTheLoadersVerdictOnEveryCase)
{
    const QString path = test::PrivateFoldersListener::root() + QStringLiteral("/clientconfig.xml");
    for (const test::ConfigCase &c : test::configCases()) {
        SCOPED_TRACE(c.label.toStdString());
        ASSERT_TRUE(test::writeFile(path, c.document));
        const Answer run = checkConfig(path);
        EXPECT_EQ(run.exitCode, c.verdict == QStringLiteral("accepted") ? 0 : 1);
        EXPECT_EQ(run.out, c.verdict + u'\n');
    }
}

TEST(CheckConfigTool, ReadsTheUsersFeeds)
{
    ASSERT_EQ(checkConfig(fixture("good")).exitCode, 0);
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("sin_nombre"), QString(),
                                    kOtherMediaKeyPath));
    const Answer run = checkConfig(fixture("good"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("the user's feed \"sin_nombre\""))) << qPrintable(run.out);
}
