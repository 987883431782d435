// check-site against the demo publisher: the demo passes, each misbehaviour fails on its own line, and the
// check leaves the user's settings and caches alone.
#include "base/paths.h"
#include "support/publisherprocess.h"
#include "support/testfiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tavrin;

TEST(CheckSiteTool, PassesTheDemoAndReportsEachFailureOnItsLine)
{
    const test::PublisherProcess publisher;
    ASSERT_GT(publisher.port, 0);
    const QStringList args { QStringLiteral("check-site"),
                             publisher.base + QStringLiteral("clientconfig.xml") };
    const test::ToolRun demo = test::runTool(args);
    EXPECT_EQ(demo.exitCode, 0) << demo.out.toStdString();
    EXPECT_FALSE(demo.out.contains("FAIL"));
    EXPECT_TRUE(demo.out.contains("ok   installer ")) << demo.out.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\npassed: \\d+ addresses checked, 0 failed\n$"))
                    .match(QString::fromUtf8(demo.out))
                    .hasMatch());

    const struct {
        const char *control;
        const char *line; // the start of the one FAIL line
        const char *verdict; // its end
    } cases[] = {
        { "broken_config?kind=malformed", "FAIL configuration ",
          "rejected: the document is not well-formed XML" },
        { "status?path=/noticias/1/&code=404", "FAIL section 1 page ", "HTTP status 404" },
        { "corrupt?path=/images/tavrin_icon.png", "FAIL image tavrin_icon ", "(configured b784f03c)" },
        { "offline?on=1", "FAIL monitoring ", "HTTP status 503" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.control);
        ASSERT_TRUE(publisher.control(c.control));
        const test::ToolRun run = test::runTool(args);
        EXPECT_EQ(run.exitCode, 1);
        const QStringList failed = QString::fromUtf8(run.out).split(u'\n').filter(QStringLiteral("FAIL"));
        ASSERT_EQ(failed.size(), 1) << run.out.toStdString();
        EXPECT_TRUE(failed.first().startsWith(QLatin1String(c.line))
                    && failed.first().endsWith(QLatin1String(c.verdict)))
            << failed.first().toStdString();
        ASSERT_TRUE(publisher.control("reset"));
    }
    EXPECT_FALSE(QFileInfo::exists(CacheFolder()));
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
}
