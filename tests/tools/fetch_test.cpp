// fetch run as a program against a loopback server: the body on stdout, the exit code, the cache.
#include "support/testserver.h"
#include "support/toolcases.h"

TEST(FetchTool, PrintsTheBodyTheClientReceives)
{
    tavrin::test::TestServer server;
    const std::string text("<news>uno\0dos</news>", 20); // every byte, NUL too
    const QByteArray document = QByteArray::fromStdString(text);
    const QByteArray packed = QByteArray::fromStdString(tavrin::test::gzipCompress(text));
    server.document("/news.xml", text);
    server.gzipFile("/news.xml.gz", text);
    server.serve("/empty", "");
    // The options choose the reader; an unchanged document comes from the cache of an earlier run.
    tavrin::test::expectToolRuns({
        { { "fetch", server.url("/news.xml") }, 0, document },
        { { "fetch", server.url("/news.xml") }, 0, document },
        { { "fetch", "--reload", server.url("/news.xml") }, 0, document },
        { { "fetch", server.url("/missing") }, 1, "" },
        { { "fetch", "--compressed", server.url("/news.xml.gz") }, 0, document },
        { { "fetch", server.url("/news.xml.gz") }, 0, packed },
        { { "fetch", "--compressed", server.url("/empty") }, 1, "" }, // the client takes it for a failure
        { { "fetch", server.url("/empty") }, 0, "" },
        { { "fetch" }, 2, "" },
        { { "fetch", "--bogus", server.url("/news.xml") }, 2, "" },
    });
    EXPECT_EQ(server.statuses("/news.xml"), (std::vector<int> { 200, 304, 200 }));
}
