// The HTTP client against a real loopback server: statuses, progress, cache, proxy, limits, redirects.
#include "base/appmessage.h"
#include "base/messages.h"
#include "net/httpcache.h"
#include "net/httpclient.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

namespace tavrin {
namespace {

using test::TestServer;

// Collects the download progress messages posted to it.
class ProgressReceiver : public QObject {
public:
    std::vector<std::pair<int, qintptr>> messages;

    bool event(QEvent *event) override
    {
        if (AppMessage *message = asAppMessage(event)) {
            messages.emplace_back(message->number(), message->wParam());
            return true;
        }
        return QObject::event(event);
    }

    void drain() { QCoreApplication::sendPostedEvents(this); }

    qint64 progressTotal() const
    {
        qint64 total = 0;
        for (const auto &[number, value] : messages)
            if (number == WM_DOWNLOAD_PROGRESS)
                total += value;
        return total;
    }
};

// Checks the shape every successful download must have: one length first, then chunks of at most 8192.
void expectProgressShape(const ProgressReceiver &receiver, qintptr announced, qint64 total)
{
    ASSERT_FALSE(receiver.messages.empty());
    EXPECT_EQ(receiver.messages.front(), std::make_pair(WM_DOWNLOAD_LENGTH, announced));
    for (size_t i = 1; i < receiver.messages.size(); ++i) {
        EXPECT_EQ(receiver.messages[i].first, WM_DOWNLOAD_PROGRESS);
        EXPECT_GT(receiver.messages[i].second, 0);
        EXPECT_LE(receiver.messages[i].second, 8192);
    }
    EXPECT_EQ(receiver.progressTotal(), total);
}

class HttpClientTest : public testing::Test {
protected:
    TestServer server;
    // Fresh limits and credentials per test; ends before the server, closing the kept-alive connections.
    InternetSession session;
};

TEST_F(HttpClientTest, StatusesBelow400AreReadAndTheRestFailSilently)
{
    struct Case {
        int status;
        bool ok;
    };
    const Case cases[] = { { 200, true },  { 300, true },  { 304, true }, { 399, true },
                           { 400, false }, { 404, false }, { 599, false } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        const std::string path = "/status" + std::to_string(c.status);
        // A 304 carries no body by definition; other statuses carry one.
        const std::string body = c.status == 304 ? "" : "body of " + std::to_string(c.status);
        server.serve(path, body, c.status, "application/octet-stream");
        ProgressReceiver receiver;
        QByteArray buffer;
        EXPECT_EQ(FetchBytes(server.url(path), buffer, true, &receiver), c.ok);
        receiver.drain();
        if (c.ok) {
            EXPECT_EQ(buffer, QByteArray::fromStdString(body));
            expectProgressShape(receiver, static_cast<qintptr>(body.size()),
                                static_cast<qint64>(body.size()));
        } else {
            EXPECT_TRUE(receiver.messages.empty()) << "no progress for a failed status";
            EXPECT_TRUE(FetchText(server.url(path), true, nullptr).isEmpty());
        }
    }
}

TEST_F(HttpClientTest, ProgressAnnouncesLengthThenChunksOfAtMost8192)
{
    const std::string big(20000, 'a');
    server.serve("/big", big, 200, "application/octet-stream");
    server.chunked("/chunked", big);
    server.gzipEncoded("/gzip", big);
    struct Case {
        const char *path;
        qintptr announced;
    };
    // Without Content-Length the announced length is 0 and the body is still read to the end.
    for (const Case &c : { Case { "/big", 20000 }, Case { "/chunked", 0 } }) {
        SCOPED_TRACE(c.path);
        ProgressReceiver receiver;
        QByteArray buffer = "kept:";
        ASSERT_TRUE(FetchUrl(server.url(c.path), buffer, true, true, &receiver));
        receiver.drain();
        EXPECT_EQ(buffer, "kept:" + QByteArray::fromStdString(big)) << "FetchUrl appends";
        expectProgressShape(receiver, c.announced, 20000);
        EXPECT_GE(receiver.messages.size(), 4u) << "20000 bytes need at least three chunks";
    }
}

TEST_F(HttpClientTest, FetchTextStopsAtTheFirstNul)
{
    server.serve("/nul", std::string("before\0after", 12));
    EXPECT_EQ(FetchText(server.url("/nul"), true, nullptr), "before");
    QByteArray bytes;
    ASSERT_TRUE(FetchBytes(server.url("/nul"), bytes, true, nullptr));
    EXPECT_EQ(bytes.size(), 12) << "bytes keep everything";
}

TEST_F(HttpClientTest, UnchangedDocumentIsAnswered304FromTheCacheAndReloadBypassesIt)
{
    server.document("/news.xml", "<news>one</news>");
    const QString url = server.url("/news.xml");

    EXPECT_EQ(FetchText(url, false, nullptr), "<news>one</news>");
    EXPECT_TRUE(server.lastHeader("/news.xml", "If-None-Match").empty());

    ProgressReceiver receiver;
    EXPECT_EQ(FetchCompressedText(url, false, &receiver), "<news>one</news>");
    receiver.drain();
    EXPECT_FALSE(server.lastHeader("/news.xml", "If-None-Match").empty());
    EXPECT_EQ(server.statuses("/news.xml"), (std::vector<int> { 200, 304 }));
    expectProgressShape(receiver, 16, 16);

    // Reload: no validators, an explicit no-cache, and a full answer.
    EXPECT_EQ(FetchText(url, true, nullptr), "<news>one</news>");
    EXPECT_TRUE(server.lastHeader("/news.xml", "If-None-Match").empty());
    EXPECT_TRUE(server.lastHeader("/news.xml", "If-Modified-Since").empty());
    EXPECT_EQ(server.lastHeader("/news.xml", "Cache-Control"), "no-cache");
    EXPECT_EQ(server.statuses("/news.xml").back(), 200);

    // A changed document replaces the cached one.
    server.document("/news.xml", "<news>two</news>");
    EXPECT_EQ(FetchText(url, false, nullptr), "<news>two</news>");
    EXPECT_EQ(FetchText(url, false, nullptr), "<news>two</news>");
    EXPECT_EQ(server.statuses("/news.xml"), (std::vector<int> { 200, 304, 200, 200, 304 }));
}

TEST_F(HttpClientTest, DamagedCacheEntriesAreIgnored)
{
    const QString url = server.url("/doc");
    ASSERT_TRUE(HttpCache::store(url, HttpCacheEntry { "\"v1\"", "", "cached body" }));
    ASSERT_TRUE(HttpCache::load(url).has_value());
    const QStringList files = QDir(HttpCache::folder()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString path = HttpCache::folder() + files.front();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();

    struct Case {
        const char *name;
        QByteArray content;
    };
    const Case cases[] = { { "truncated body", good.left(good.size() - 3) },
                           { "no magic", "garbage\n" + good },
                           { "other url", QByteArray(good).replace("/doc", "/dox") },
                           { "empty", "" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(c.content);
        damaged.close();
        EXPECT_FALSE(HttpCache::load(url).has_value());
    }
    EXPECT_FALSE(HttpCache::store(url, HttpCacheEntry { "", "", "no validator" }));
    EXPECT_TRUE(HttpCache::folder().startsWith(qEnvironmentVariable("XDG_CACHE_HOME")));
}

// Answers proxy prompts from a queue and counts them.
class QueueProvider : public ProxyCredentialsProvider {
public:
    std::deque<std::optional<ProxyCredentials>> answers;
    int asks = 0;
    QString lastRealm;

    std::optional<ProxyCredentials> askProxyCredentials(const QString &, const QString &realm) override
    {
        ++asks;
        lastRealm = realm;
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class ProxyTest : public HttpClientTest {
protected:
    void SetUp() override
    {
        server.serve("/doc", "through the proxy");
        server.requireProxyAuth("ana", "s3cret");
        session.setProxy(QString::fromStdString(server.baseUrl()));
        setProxyCredentialsProvider(&provider);
    }
    void TearDown() override { setProxyCredentialsProvider(nullptr); }

    // A host that exists only behind the test proxy.
    const QString url = QStringLiteral("http://tavrin.test/doc");
    QueueProvider provider;
};

TEST_F(ProxyTest, Status407AsksForCredentialsAndRetries)
{
    const ProxyCredentials right { "ana", "s3cret" };
    const ProxyCredentials wrong { "ana", "guess" };
    struct Case {
        const char *name;
        std::vector<std::optional<ProxyCredentials>> answers;
        bool ok;
        int asks;
    };
    const Case cases[] = {
        { "declined", { std::nullopt }, false, 1 },
        { "accepted", { right }, true, 1 },
        { "wrong then right", { wrong, right }, true, 2 },
        { "wrong then declined", { wrong, std::nullopt }, false, 2 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        session.rememberProxyCredentials(std::nullopt);
        provider.answers.assign(c.answers.begin(), c.answers.end());
        provider.asks = 0;
        ProgressReceiver receiver;
        QByteArray buffer;
        EXPECT_EQ(FetchBytes(url, buffer, true, &receiver), c.ok);
        EXPECT_EQ(provider.asks, c.asks);
        EXPECT_EQ(provider.lastRealm, "test proxy");
        receiver.drain();
        if (c.ok)
            EXPECT_EQ(buffer, "through the proxy");
        else
            EXPECT_TRUE(receiver.messages.empty());
    }
}

TEST_F(ProxyTest, AcceptedCredentialsAreRememberedForTheSession)
{
    provider.answers = { ProxyCredentials { "ana", "s3cret" } };
    EXPECT_EQ(FetchText(url, true, nullptr), "through the proxy");
    ASSERT_TRUE(session.rememberedProxyCredentials().has_value());
    EXPECT_EQ(session.rememberedProxyCredentials()->user, "ana");
    EXPECT_EQ(FetchText(url, true, nullptr), "through the proxy");
    EXPECT_EQ(FetchText(url, false, nullptr), "through the proxy");
    EXPECT_EQ(provider.asks, 1);
}

TEST_F(ProxyTest, DefaultProviderDeclines)
{
    setProxyCredentialsProvider(nullptr);
    EXPECT_TRUE(FetchText(url, true, nullptr).isEmpty());
    EXPECT_EQ(server.statuses("/doc"), std::vector<int> { 407 });
}

TEST_F(HttpClientTest, GzipIsDecodedOnTheWireAndGzipFilesByTheCompressedReader)
{
    const std::string document = "<sections_news>" + std::string(5000, 'n') + "</sections_news>";
    server.gzipEncoded("/encoded.xml", document);
    server.gzipFile("/file.xml.gz", document);

    EXPECT_EQ(FetchText(server.url("/encoded.xml"), true, nullptr), QByteArray::fromStdString(document));
    EXPECT_NE(server.lastHeader("/encoded.xml", "Accept-Encoding").find("gzip"), std::string::npos);
    EXPECT_EQ(FetchCompressedText(server.url("/encoded.xml"), true, nullptr),
              QByteArray::fromStdString(document));

    QByteArray raw;
    ASSERT_TRUE(FetchBytes(server.url("/file.xml.gz"), raw, true, nullptr));
    EXPECT_TRUE(raw.startsWith("\x1f\x8b")) << "a gzip file arrives as it is";
    EXPECT_EQ(FetchCompressedText(server.url("/file.xml.gz"), true, nullptr),
              QByteArray::fromStdString(document));
}

TEST_F(HttpClientTest, SilentAndTricklingServersAreAbandoned)
{
    FetchLimits limits;
    limits.lowSpeedSeconds = 1;
    limits.lowSpeedBytesPerSecond = 100;
    session.setLimits(limits);
    server.silence("/silent");
    server.trickle("/trickle", 200);
    for (const char *path : { "/silent", "/trickle" }) {
        SCOPED_TRACE(path);
        QByteArray buffer;
        EXPECT_FALSE(FetchBytes(server.url(path), buffer, true, nullptr));
    }
}

TEST_F(HttpClientTest, BodiesBeyondTheCapFail)
{
    constexpr qint64 cap = 256 * 1024;
    server.endless("/endless");
    server.serve("/declared", std::string(cap + 1, 'd'));
    server.chunked("/undeclared", std::string(cap + 1, 'u'));
    server.serve("/exact", std::string(cap, 'e'));
    struct Case {
        const char *path;
        bool ok;
    };
    for (const Case &c : { Case { "/endless", false }, Case { "/declared", false },
                           Case { "/undeclared", false }, Case { "/exact", true } }) {
        SCOPED_TRACE(c.path);
        QByteArray buffer;
        EXPECT_EQ(FetchBytes(server.url(c.path), buffer, true, nullptr, cap), c.ok);
        EXPECT_LE(buffer.size(), cap);
    }
}

TEST_F(HttpClientTest, RedirectsAreFollowedWithinLimits)
{
    server.serve("/target", "arrived");
    server.redirect("/once", "/target", 301);
    server.redirect("/loop-a", "/loop-b");
    server.redirect("/loop-b", "/loop-a");
    server.redirect("/to-file", "file:///etc/hostname");
    server.redirect("/to-ftp", "ftp://127.0.0.1/x");
    // Chains of exactly 10 and 11 redirects.
    for (int i = 0; i < 11; ++i)
        server.redirect("/chain" + std::to_string(i), "/chain" + std::to_string(i + 1), 307);
    server.serve("/chain11", "end of chain");
    server.redirect("/ten", "/chain2", 308);

    struct Case {
        const char *path;
        QByteArray body; // empty: failure
    };
    const Case cases[] = { { "/once", "arrived" }, { "/loop-a", "" },          { "/to-file", "" },
                           { "/to-ftp", "" },      { "/ten", "end of chain" }, { "/chain0", "" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FetchText(server.url(c.path), true, nullptr), c.body);
    }
    EXPECT_EQ(server.hits("/loop-a"), 6) << "a loop stops after 10 redirects";
}

TEST(RedirectRule, OnlyHttpAndHttpsAndNeverDowngraded)
{
    struct Case {
        const char *from;
        const char *to;
        bool allowed;
    };
    const Case cases[] = {
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
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        EXPECT_EQ(RedirectAllowed(QString::fromLatin1(c.from), QString::fromLatin1(c.to)), c.allowed);
    }
}

TEST_F(HttpClientTest, ConnectionsAreKeptAliveAcrossFetches)
{
    server.serve("/a", "first");
    server.serve("/b", "second");
    EXPECT_EQ(FetchText(server.url("/a"), true, nullptr), "first");
    EXPECT_EQ(FetchText(server.url("/b"), true, nullptr), "second");
    EXPECT_EQ(server.lastRemotePort("/a"), server.lastRemotePort("/b"));
    const std::string agent = server.lastHeader("/b", "User-Agent");
    EXPECT_EQ(QString::fromStdString(agent), InternetSession::userAgent());
    EXPECT_TRUE(InternetSession::userAgent().startsWith("Tavrin/"));
}

TEST(FileUrls, AreReadWithLengthZero)
{
    const QString path = test::PrivateFoldersListener::root() + "/local.bin";
    QByteArray content(10000, 'f');
    content[5] = '\0';
    ASSERT_TRUE(test::writeFile(path, content));
    const QString url = QUrl::fromLocalFile(path).toString();

    ProgressReceiver receiver;
    QByteArray buffer;
    ASSERT_TRUE(FetchBytes(url, buffer, false, &receiver));
    receiver.drain();
    EXPECT_EQ(buffer, content);
    expectProgressShape(receiver, 0, 10000);
    EXPECT_EQ(FetchText(url, false, nullptr), "fffff");

    EXPECT_FALSE(FetchBytes(QUrl::fromLocalFile(path + ".missing").toString(), buffer, false, nullptr));
    EXPECT_FALSE(FetchBytes(url, buffer, false, nullptr, 9999)) << "the cap holds for files too";
    EXPECT_FALSE(FetchBytes("gopher://127.0.0.1/x", buffer, false, nullptr));
}

TEST(DecodeUrl, DecodesEscapesAndEncodesNothing)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
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
    for (const Case &c : cases) {
        SCOPED_TRACE(c.in.left(40).toStdString());
        EXPECT_EQ(DecodeUrl(c.in), c.out);
    }
}

} // namespace
} // namespace tavrin
