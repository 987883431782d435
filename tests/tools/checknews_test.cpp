// check-news run as a program: the records it lists, in document order, and its verdicts.
#include "support/privatefolders.h"
#include "support/toolcases.h"

TEST(CheckNewsTool, ListsRecordsAndGivesTheVerdict)
{
    const auto news = [](const char *name) {
        return QStringList { "check-news", tavrin::test::fixturePath("news", name) };
    };
    const auto lines = [](const QStringList &lines) { return (lines.join(u'\n') + u'\n').toUtf8(); };
    const QString host = QStringLiteral("http://127.0.0.1:8642/");
    const QString folder = tavrin::test::PrivateFoldersListener::root();
    // Times print in a zone with summer time, so the local conversion shows.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    tavrin::test::expectToolRuns(
        {
            { news("good"), 0,
              lines(
                  { "portada\tp1\t2024-01-15 10:30:00\tA\u00f1o nuevo en la ciudad\t" + host + "news/p1.html",
                    "portada\tp2\t2024-01-15 10:30:00\tSame second as p1\t" + host + "news/p2.html",
                    "portada_local\tl1\t2024-07-15 08:05:09\tTab inside a title\t" + host + "news/l1.html",
                    "deportes\td1\t2023-05-01 12:00:00\tFinal\t" + host + "news/d1.html", "read" }) },
            { news("comment"), 0,
              lines({ "portada\tp1\t2024-01-15 10:30:00\tFirst\t" + host + "p1", "read" }) },
            { news("foreign"), 1,
              lines({ "portada\tp1\t2024-01-15 10:30:00\tEspa\u00f1a\t" + host + "p1", "failed" }) },
            { news("wrong_root"), 1, "failed\n" },
            { { "check-news" }, 2, "" },
            { news("good") << tavrin::test::fixturePath("news", "good"), 2, "" },
            { { "check-news", folder + QStringLiteral("/absent.xml") }, 2, "" },
            { { "check-news", folder }, 2, "" },
        },
        env);
}
