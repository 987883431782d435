// fetch run as a program against a loopback server: the body on stdout and the exit code.
#include "support/testfiles.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

namespace {

using tavrin::test::TestServer;

tavrin::test::ToolRun runFetch(const QStringList &args)
{
    return tavrin::test::runTool(QStringList { QStringLiteral("fetch") } + args);
}

TEST(FetchTool, PrintsTheBodyTheClientReceives)
{
    TestServer server;
    const std::string document = "<sections_news>uno</sections_news>";
    server.serve("/plain", document, 200, "text/xml");
    server.serve("/missing", "gone", 404);
    server.gzipFile("/news.xml.gz", document);
    server.gzipEncoded("/encoded", document);
    server.serve("/empty", "");
    server.serve("/nul", std::string("a\0b", 3), 200, "application/octet-stream");
    struct Case {
        QStringList args;
        int exitCode;
        QByteArray out;
    };
    const Case cases[] = {
        { { server.url("/plain") }, 0, QByteArray::fromStdString(document) },
        { { "--reload", server.url("/plain") }, 0, QByteArray::fromStdString(document) },
        { { server.url("/missing") }, 1, "" },
        { { "--compressed", server.url("/missing") }, 1, "" },
        { { "--compressed", server.url("/news.xml.gz") }, 0, QByteArray::fromStdString(document) },
        { { server.url("/news.xml.gz") },
          0,
          QByteArray::fromStdString(tavrin::test::gzipCompress(document)) },
        { { "--compressed", server.url("/encoded") }, 0, QByteArray::fromStdString(document) },
        { { server.url("/empty") }, 0, "" },
        { { "--compressed", server.url("/empty") }, 1, "" },
        { { server.url("/nul") }, 0, QByteArray("a\0b", 3) },
        { { "--compressed", "--reload", server.url("/nul") }, 0, QByteArray("a\0b", 3) },
        { {}, 2, "" },
        { { "--bogus", server.url("/plain") }, 2, "" },
        { { server.url("/plain"), server.url("/plain") }, 2, "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const tavrin::test::ToolRun run = runFetch(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
    }
}

TEST(FetchTool, UnchangedDocumentsComeFromTheCacheAcrossRuns)
{
    TestServer server;
    server.document("/config.xml", "<clientconfig/>");
    EXPECT_EQ(runFetch({ server.url("/config.xml") }).out, "<clientconfig/>");
    EXPECT_EQ(runFetch({ server.url("/config.xml") }).out, "<clientconfig/>");
    EXPECT_EQ(runFetch({ "--reload", server.url("/config.xml") }).out, "<clientconfig/>");
    EXPECT_EQ(server.statuses("/config.xml"), (std::vector<int> { 200, 304, 200 }));
}

} // namespace
