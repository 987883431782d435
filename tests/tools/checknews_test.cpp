// check-news run as a program: the records it lists, in document order, and its verdicts.
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

// Times print in a zone with summer time, so the local conversion shows.
tavrin::test::ToolRun runCheckNews(const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    return tavrin::test::runTool(QStringList { QStringLiteral("check-news") } + args, env);
}

QString fixture(const char *name)
{
    return tavrin::test::fixturePath("news", name);
}

TEST(CheckNewsTool, ListsRecordsAndGivesTheVerdict)
{
    const QString host = QStringLiteral("http://127.0.0.1:8642/");
    struct Case {
        const char *file;
        int exitCode;
        QStringList lines;
    };
    const Case cases[] = {
        { "good",
          0,
          { "portada\tp1\t2024-01-15 10:30:00\tA\u00f1o nuevo en la ciudad\t" + host + "news/p1.html",
            "portada\tp2\t2024-01-15 10:30:00\tSame second as p1\t" + host + "news/p2.html",
            "portada_local\tl1\t2024-07-15 08:05:09\tTab inside a title\t" + host + "news/l1.html",
            "deportes\td1\t2023-05-01 12:00:00\tFinal\t" + host + "news/d1.html", "read" } },
        { "comment", 0, { "portada\tp1\t2024-01-15 10:30:00\tFirst\t" + host + "p1", "read" } },
        { "foreign", 1, { "portada\tp1\t2024-01-15 10:30:00\tEspa\u00f1a\t" + host + "p1", "failed" } },
        { "wrong_root", 1, { "failed" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const tavrin::test::ToolRun run = runCheckNews({ fixture(c.file) });
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(QString::fromUtf8(run.out), c.lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
}

TEST(CheckNewsTool, WrongArgumentsAndUnreadableFiles)
{
    QTemporaryDir dir;
    const QStringList wrong[] = {
        {},
        { fixture("good"), fixture("good") },
        { dir.filePath(QStringLiteral("absent.xml")) },
        { dir.path() },
    };
    for (const QStringList &args : wrong) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const tavrin::test::ToolRun run = runCheckNews(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

} // namespace
