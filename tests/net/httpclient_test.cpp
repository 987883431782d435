// The HTTP client against a real loopback server: statuses, progress, cache, proxy, limits, redirects.
#include "net/httpcache.h"
#include "net/httpclient.h"
#include "support/messagerecorder.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace tavrin {
namespace {

using test::MessageRecorder;
using test::TestServer;

constexpr qint64 kCap = 256 * 1024;
const std::string kBig(20000, 'a');
const std::string kDocument = "<sections_news>" + std::string(5000, 'n') + "</sections_news>";

// What every successful download reports: the announced length, then chunks of 1 to 8192 bytes that add
// up to the body.
void expectProgress(const MessageRecorder &r, qintptr announced, qint64 total)
{
    ASSERT_FALSE(r.seen.empty());
    EXPECT_EQ(r.seen.front().number, WM_DOWNLOAD_LENGTH);
    EXPECT_EQ(r.seen.front().wParam, announced);
    qint64 sum = 0;
    for (size_t i = 1; i < r.seen.size(); ++i) {
        EXPECT_EQ(r.seen[i].number, WM_DOWNLOAD_PROGRESS);
        EXPECT_TRUE(r.seen[i].wParam > 0 && r.seen[i].wParam <= 8192) << r.seen[i].wParam;
        sum += r.seen[i].wParam;
    }
    EXPECT_EQ(sum, total);
}

class HttpClientTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.serve("/big", kBig, 200, "application/octet-stream");
        server.chunked("/chunked", kBig);
        server.gzipEncoded("/encoded", kDocument);
        server.gzipFile("/file.gz", kDocument);
        server.serve("/nul", std::string("before\0after", 12), 200, "application/octet-stream");
        server.silence("/silent");
        server.trickle("/trickle", 200);
        server.endless("/endless");
        server.serve("/declared", std::string(kCap + 1, 'd'), 200, "application/octet-stream");
        server.chunked("/undeclared", std::string(kCap + 1, 'u'));
        server.serve("/exact", std::string(kCap, 'e'), 200, "application/octet-stream");
        server.serve("/target", "arrived");
        server.redirect("/once", "/target", 301);
        server.redirect("/loop-a", "/loop-b");
        server.redirect("/loop-b", "/loop-a");
        server.redirect("/to-file", "file:///etc/hostname");
        server.redirect("/to-ftp", "ftp://127.0.0.1/x");
        for (int i = 0; i < 11; ++i) // /ten is 10 redirects from the end, /chain0 11
            server.redirect("/chain" + std::to_string(i), "/chain" + std::to_string(i + 1), 307);
        server.serve("/chain11", "end of chain");
        server.redirect("/ten", "/chain2", 308);
        local[5] = '\0';
        ASSERT_TRUE(test::writeFile(localPath, local));
    }
    QString url(const std::string &path) const { return server.url(path); }

    const QString localPath = test::PrivateFoldersListener::root() + "/local.bin";
    const QString localUrl = QUrl::fromLocalFile(localPath).toString();
    QByteArray local = QByteArray(10000, 'f');
    TestServer server;
    // Fresh limits and credentials per test; ends before the server, closing the kept-alive connections.
    InternetSession session;
};

TEST_F(HttpClientTest, FetchUrlAppendsWholeBodiesOnlyAndReportsTheirProgress)
{
    FetchLimits limits;
    limits.lowSpeedSeconds = 1;
    limits.lowSpeedBytesPerSecond = 100;
    session.setLimits(limits);
    constexpr qintptr kQuiet = -1; // a failure that posts nothing
    constexpr qintptr kAny = -2;
    struct Case {
        QString url;
        std::optional<QByteArray> body; // nothing: the fetch fails
        qintptr announced; // 0 when the length is not known in advance
        qint64 cap = kMaxDocumentBytes;
    };
    const QByteArray gzipFile = test::gzipBytes(QByteArray::fromStdString(kDocument));
    std::vector<Case> cases = {
        { url("/big"), QByteArray::fromStdString(kBig), 20000 },
        { url("/chunked"), QByteArray::fromStdString(kBig), 0 },
        { url("/encoded"), QByteArray::fromStdString(kDocument), 0 }, // decoded on the wire
        { url("/file.gz"), gzipFile, gzipFile.size() }, // a gzip file as it is
        { url("/nul"), QByteArray("before\0after", 12), 12 }, // bytes keep everything
        { url("/silent"), std::nullopt, kQuiet },
        { url("/trickle"), std::nullopt, kAny },
        { url("/endless"), std::nullopt, kAny, kCap },
        { url("/declared"), std::nullopt, kQuiet, kCap },
        { url("/undeclared"), std::nullopt, kAny, kCap },
        { url("/exact"), QByteArray(kCap, 'e'), kCap, kCap },
        { localUrl, local, 0 },
        { localUrl, std::nullopt, kAny, 9999 }, // the cap holds for files too
        { localUrl + ".missing", std::nullopt, kQuiet },
        { "gopher://127.0.0.1/x", std::nullopt, kQuiet },
    };
    for (int status : { 200, 300, 304, 399, 400, 404, 599 }) { // read below 400, the rest fail silently
        const QByteArray body
            = status == 304 ? "" : "body " + QByteArray::number(status); // 304: never a body
        server.serve("/s" + std::to_string(status), body.toStdString(), status, "application/octet-stream");
        cases.push_back({ url("/s" + std::to_string(status)),
                          status < 400 ? std::optional(body) : std::nullopt,
                          status < 400 ? body.size() : kQuiet });
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString() + " cap " + std::to_string(c.cap));
        MessageRecorder receiver;
        QByteArray buffer = "kept:";
        EXPECT_EQ(FetchUrl(session, c.url, buffer, true, true, &receiver, c.cap), c.body.has_value());
        receiver.drain();
        EXPECT_LE(buffer.size(), 5 + c.cap);
        if (c.body) {
            EXPECT_EQ(buffer, "kept:" + *c.body);
            expectProgress(receiver, c.announced, c.body->size());
        } else if (c.announced == kQuiet) {
            EXPECT_TRUE(receiver.seen.empty());
        }
    }
}

TEST_F(HttpClientTest, TextReadersAndRedirects)
{
    using Reader = QByteArray (*)(InternetSession &, const QString &, bool, QObject *);
    const Reader text = FetchText;
    const Reader compressed = FetchCompressedText;
    const QByteArray document = QByteArray::fromStdString(kDocument);
    struct Case {
        Reader read;
        QString url;
        QByteArray expected; // empty: failure
    };
    const Case cases[] = {
        { text, url("/nul"), "before" }, // up to the first NUL
        { text, localUrl, "fffff" },
        { text, url("/nowhere"), "" }, // a 404: failures read as empty
        { text, url("/encoded"), document },
        { compressed, url("/encoded"), document },
        { compressed, url("/file.gz"), document },
        { text, url("/once"), "arrived" },
        { text, url("/loop-a"), "" },
        { text, url("/to-file"), "" },
        { text, url("/to-ftp"), "" },
        { text, url("/ten"), "end of chain" },
        { text, url("/chain0"), "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        EXPECT_EQ(c.read(session, c.url, true, nullptr), c.expected);
    }
    EXPECT_NE(server.lastHeader("/encoded", "Accept-Encoding").find("gzip"), std::string::npos);
    EXPECT_EQ(server.hits("/loop-a"), 6) << "a loop stops after 10 redirects";
    EXPECT_EQ(server.lastRemotePort("/encoded"), server.lastRemotePort("/file.gz")) << "kept alive";
    EXPECT_EQ(QString::fromStdString(server.lastHeader("/target", "User-Agent")),
              InternetSession::userAgent());
    EXPECT_TRUE(InternetSession::userAgent().startsWith("Tavrin/"));
}

TEST_F(HttpClientTest, UnchangedDocumentIsAnswered304FromTheCacheAndReloadBypassesIt)
{
    server.document("/news.xml", "<news>one</news>");
    const QString news = url("/news.xml");
    EXPECT_EQ(FetchText(session, news, false, nullptr), "<news>one</news>");
    EXPECT_TRUE(server.lastHeader("/news.xml", "If-None-Match").empty());

    MessageRecorder receiver;
    EXPECT_EQ(FetchCompressedText(session, news, false, &receiver), "<news>one</news>");
    receiver.drain();
    EXPECT_FALSE(server.lastHeader("/news.xml", "If-None-Match").empty());
    EXPECT_EQ(server.statuses("/news.xml"), (std::vector<int> { 200, 304 }));
    expectProgress(receiver, 16, 16);

    // Reload: no validators, an explicit no-cache, and a full answer.
    EXPECT_EQ(FetchText(session, news, true, nullptr), "<news>one</news>");
    EXPECT_TRUE(server.lastHeader("/news.xml", "If-None-Match").empty());
    EXPECT_TRUE(server.lastHeader("/news.xml", "If-Modified-Since").empty());
    EXPECT_EQ(server.lastHeader("/news.xml", "Cache-Control"), "no-cache");

    // A changed document replaces the cached one.
    server.document("/news.xml", "<news>two</news>");
    EXPECT_EQ(FetchText(session, news, false, nullptr), "<news>two</news>");
    EXPECT_EQ(FetchText(session, news, false, nullptr), "<news>two</news>");
    EXPECT_EQ(server.statuses("/news.xml"), (std::vector<int> { 200, 304, 200, 200, 304 }));
}

TEST_F(HttpClientTest, DamagedCacheEntriesAreIgnored)
{
    const QString doc = url("/doc");
    ASSERT_TRUE(HttpCache::store(doc, HttpCacheEntry { "\"v1\"", "", "cached body" }));
    ASSERT_TRUE(HttpCache::load(doc).has_value());
    const QStringList files = QDir(HttpCache::folder()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString path = HttpCache::folder() + files.front();
    const QByteArray good = test::readFile(path);
    for (const QByteArray &damaged : { good.left(good.size() - 3), "garbage\n" + good,
                                       QByteArray(good).replace("/doc", "/dox"), QByteArray() }) {
        SCOPED_TRACE(damaged.left(20).toStdString());
        ASSERT_TRUE(test::writeFile(path, damaged));
        EXPECT_FALSE(HttpCache::load(doc).has_value());
    }
    EXPECT_FALSE(HttpCache::store(doc, HttpCacheEntry { "", "", "no validator" }));
    EXPECT_TRUE(HttpCache::folder().startsWith(qEnvironmentVariable("XDG_CACHE_HOME")));
}

// Answers proxy prompts with its list, in order, then declines; counts them.
class ListProvider : public ProxyCredentialsProvider {
public:
    std::optional<ProxyCredentials> askProxyCredentials(const QString &, const QString &realm) override
    {
        lastRealm = realm;
        return ++asks <= int(answers.size()) ? answers[asks - 1] : std::nullopt;
    }
    std::vector<std::optional<ProxyCredentials>> answers;
    int asks = 0;
    QString lastRealm;
};

TEST_F(HttpClientTest, Status407AsksForCredentialsRetriesAndRemembersThem)
{
    server.serve("/doc", "through the proxy");
    server.requireProxyAuth("ana", "s3cret");
    session.setProxy(QString::fromStdString(server.baseUrl()));
    const QString doc = QStringLiteral("http://tavrin.test/doc"); // exists only behind the test proxy
    EXPECT_TRUE(FetchText(session, doc, true, nullptr).isEmpty()) << "the default provider declines";
    EXPECT_EQ(server.statuses("/doc"), std::vector<int> { 407 });

    ListProvider provider;
    session.setCredentialsProvider(&provider);
    const ProxyCredentials right { "ana", "s3cret" };
    const ProxyCredentials wrong { "ana", "guess" };
    struct Case {
        const char *name;
        std::vector<std::optional<ProxyCredentials>> answers; // none: the session's are used
        bool reload;
        bool ok;
        int asks;
    };
    const Case cases[] = {
        { "declined", { std::nullopt }, true, false, 1 },
        { "wrong then declined", { wrong, std::nullopt }, true, false, 2 },
        { "wrong then right", { wrong, right }, true, true, 2 },
        { "accepted", { right }, true, true, 1 },
        { "remembered", {}, true, true, 0 },
        { "remembered without reload", {}, false, true, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.answers.empty())
            session.rememberProxyCredentials(std::nullopt);
        provider.answers = c.answers;
        provider.asks = 0;
        MessageRecorder receiver;
        QByteArray buffer;
        EXPECT_EQ(FetchBytes(session, doc, buffer, c.reload, &receiver), c.ok);
        EXPECT_EQ(provider.asks, c.asks);
        receiver.drain();
        EXPECT_EQ(buffer, c.ok ? "through the proxy" : "");
        EXPECT_EQ(receiver.seen.empty(), !c.ok);
    }
    EXPECT_EQ(provider.lastRealm, "test proxy");
    ASSERT_TRUE(session.rememberedProxyCredentials().has_value());
    EXPECT_EQ(session.rememberedProxyCredentials()->user, "ana");
}

TEST(RedirectRule, OnlyHttpAndHttpsAndNeverDowngraded)
{
    const std::tuple<const char *, const char *, bool> cases[] = {
        { "http://a/x", "http://b/y", true },
        { "http://a/x", "https://b/y", true },
        { "https://a/x", "https://b/y", true },
        { "https://a/x", "http://a/x", false },
        { "HTTPS://a/x", "HTTP://b/", false },
        { "http://a/x", "file:///etc/passwd", false },
        { "http://a/x", "ftp://b/y", false },
        { "https://a/x", "javascript:alert(1)", false },
        { "http://a/x", "", false },
    };
    for (const auto &[from, to, allowed] : cases) {
        SCOPED_TRACE(std::string(from) + " -> " + to);
        EXPECT_EQ(RedirectAllowed(QString::fromLatin1(from), QString::fromLatin1(to)), allowed);
    }
}

TEST(DecodeUrl, DecodesEscapesAndEncodesNothing)
{
    const std::pair<QString, QString> cases[] = {
        { "http://a/b%20c", "http://a/b c" },
        { "tavrin://section?id=deportes%26ocio", "tavrin://section?id=deportes&ocio" },
        { "http://a/caf%C3%A9", QString::fromUtf8("http://a/caf\xC3\xA9") },
        { "http://a/b c", "http://a/b c" },
        { "100%", "100%" },
        { "%zz%4", "%zz%4" },
        { "%2541", "%41" },
        // Decoded texts longer than 2083 characters leave the input as it was.
        { "%41" + QString(2082, 'x'), "A" + QString(2082, 'x') },
        { "%41" + QString(2083, 'x'), "%41" + QString(2083, 'x') },
    };
    for (const auto &[in, out] : cases) {
        SCOPED_TRACE(in.left(40).toStdString());
        EXPECT_EQ(DecodeUrl(in), out);
    }
}

} // namespace
} // namespace tavrin
