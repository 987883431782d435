// The publisher's checker run as a program: exit codes, output and agreement with the client's loader.
#include "app/settings.h"
#include "config/configloader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace tavrin;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-tool"), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return ToolRun { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                     QString::fromUtf8(process.readAllStandardError()) };
}

QString fixture(const char *name)
{
    return QStringLiteral(TAVRIN_SOURCE_DIR "/tests/data/config/") + QString::fromUtf8(name)
        + QStringLiteral(".xml");
}

} // namespace

TEST(CheckConfigTool, AcceptsRejectsAndExplainsUsage)
{
    const ToolRun accepted = runTool({ QStringLiteral("check-config"), fixture("good") });
    EXPECT_EQ(accepted.exitCode, 0);
    EXPECT_EQ(accepted.out, QStringLiteral("accepted\n"));

    const ToolRun rejected = runTool({ QStringLiteral("check-config"), fixture("no_prefs_window") });
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
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage: tavrin-tool"))) << qPrintable(run.err);
    }
}

TEST(CheckConfigTool, AgreesWithTheLoaderOnEveryFixture)
{
    const QDir dir(QStringLiteral(TAVRIN_SOURCE_DIR "/tests/data/config"));
    const QStringList names = dir.entryList({ QStringLiteral("*.xml") }, QDir::Files);
    ASSERT_GT(names.size(), 20);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        ClientConfig config;
        QString reason;
        const bool ok = LoadConfigurationFile(dir.filePath(name), config, &reason);
        const ToolRun run = runTool({ QStringLiteral("check-config"), dir.filePath(name) });
        EXPECT_EQ(run.exitCode, ok ? 0 : 1);
        EXPECT_EQ(run.out, ok ? QStringLiteral("accepted\n") : QStringLiteral("rejected: ") + reason + u'\n');
    }
}

TEST(CheckConfigTool, ReadsTheUsersFeeds)
{
    ASSERT_EQ(runTool({ QStringLiteral("check-config"), fixture("good") }).exitCode, 0);
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("sin_nombre"), QString(),
                                    kOtherMediaKeyPath));
    const ToolRun run = runTool({ QStringLiteral("check-config"), fixture("good") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("the user's feed \"sin_nombre\""))) << qPrintable(run.out);
}

TEST(CheckConfigTool, AcceptsThePublishersShippedDocument)
{
    const QString shipped = QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml");
    ASSERT_TRUE(QFile::exists(shipped));
    const ToolRun run = runTool({ QStringLiteral("check-config"), shipped });
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.out);
    EXPECT_EQ(run.out, QStringLiteral("accepted\n"));
}
