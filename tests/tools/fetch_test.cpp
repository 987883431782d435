// fetch run as a program against a loopback server: the body on stdout, the exit code, the cache.
#include "support/testserver.h"
#include "support/toolcases.h"

TEST(FetchTool, PrintsTheBodyTheClientReceives)
{
    tavrin::test::TestServer server;
    const std::string text = "<sections_news>uno</sections_news>";
    const QByteArray document = QByteArray::fromStdString(text), nul("a\0b", 3);
    server.serve("/plain", text, 200, "text/xml");
    server.serve("/missing", "gone", 404);
    server.gzipFile("/news.xml.gz", text);
    server.gzipEncoded("/encoded", text);
    server.serve("/empty", "");
    server.serve("/nul", nul.toStdString(), 200, "application/octet-stream");
    const auto fetch = [&](QStringList options, const char *path) {
        return QStringList { "fetch" } << options << server.url(path);
    };
    tavrin::test::expectToolRuns({
        { fetch({}, "/plain"), 0, document },
        { fetch({ "--reload" }, "/plain"), 0, document },
        { fetch({}, "/missing"), 1, "" },
        { fetch({ "--compressed" }, "/missing"), 1, "" },
        { fetch({ "--compressed" }, "/news.xml.gz"), 0, document },
        { fetch({}, "/news.xml.gz"), 0, QByteArray::fromStdString(tavrin::test::gzipCompress(text)) },
        { fetch({ "--compressed" }, "/encoded"), 0, document },
        { fetch({}, "/empty"), 0, "" },
        { fetch({ "--compressed" }, "/empty"), 1, "" },
        { fetch({}, "/nul"), 0, nul },
        { fetch({ "--compressed", "--reload" }, "/nul"), 0, nul },
        { { "fetch" }, 2, "" },
        { fetch({ "--bogus" }, "/plain"), 2, "" },
        { fetch({ server.url("/plain") }, "/plain"), 2, "" },
    });

    // An unchanged document comes from the cache of an earlier run; --reload asks for it whole.
    server.document("/config.xml", "<clientconfig/>");
    tavrin::test::expectToolRuns({ { fetch({}, "/config.xml"), 0, "<clientconfig/>" },
                                   { fetch({}, "/config.xml"), 0, "<clientconfig/>" },
                                   { fetch({ "--reload" }, "/config.xml"), 0, "<clientconfig/>" } });
    EXPECT_EQ(server.statuses("/config.xml"), (std::vector<int> { 200, 304, 200 }));
}
