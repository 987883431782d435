// check-site against the demo publisher: the demo passes, each misbehaviour fails on its own line, and the
// check leaves the user's settings and caches alone.
#include "base/paths.h"
#include "support/publisherprocess.h"
#include "support/testfiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tavrin;
using namespace Qt::StringLiterals;

TEST(CheckSiteTool, PassesTheDemoAndReportsEachFailureOnItsLine)
{
    const test::PublisherProcess publisher;
    ASSERT_GT(publisher.port, 0);
    // Control, then the start and the end of the one FAIL line (none: the site passes).
    const std::tuple<const char *, QString, QString> cases[] = {
        { "reset", {}, {} },
        { "broken_config?kind=malformed", u"FAIL configuration "_s, u"not well-formed XML"_s },
        { "status?path=/noticias/1/&code=404", u"FAIL section 1 page "_s, u"HTTP status 404"_s },
        { "corrupt?path=/images/tavrin_icon.png", u"FAIL image tavrin_icon "_s, u"(configured b784f03c)"_s },
        { "offline?on=1", u"FAIL monitoring "_s, u"HTTP status 503"_s },
    };
    for (const auto &[control, start, end] : cases) {
        SCOPED_TRACE(control);
        ASSERT_TRUE(publisher.control("reset") && publisher.control(control));
        const test::ToolRun run = test::runTool({ u"check-site"_s, publisher.base + u"clientconfig.xml"_s });
        const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
        const QStringList failed = lines.filter(u"FAIL"_s);
        EXPECT_EQ(run.exitCode, start.isEmpty() ? 0 : 1) << run.out.toStdString();
        EXPECT_EQ(failed.size(), start.isEmpty() ? 0 : 1) << run.out.toStdString();
        EXPECT_TRUE(start.isEmpty() ? lines.last().startsWith(u"passed: "_s)
                            && lines.join(u'\n').contains(u"ok   installer"_s)
                                    : failed.value(0).startsWith(start) && failed.value(0).endsWith(end));
    }
    EXPECT_FALSE(QFileInfo::exists(CacheFolder()) || QFileInfo::exists(SettingsFilePath()));
}
