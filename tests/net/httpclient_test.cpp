// The HTTP client against a real loopback server: statuses, progress, cache, proxy, limits, redirects.
#include "net/httpcache.h"
#include "net/httpclient.h"
#include "support/messagerecorder.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/testserver.h"

#include <QDir>

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <tuple>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using test::MessageRecorder;

const QByteArray kBig(20000, 'a');
const QByteArray kDoc = "<sections_news>" + QByteArray(5000, 'n') + "</sections_news>";

// What every successful download reports: the announced length, then chunks of 1 to 8192 bytes in all.
void expectProgress(const MessageRecorder &r, qintptr announced, qint64 total)
{
    ASSERT_FALSE(r.numbers.empty());
    EXPECT_EQ(std::pair(r.numbers[0], r.wParams[0]), std::pair(WM_DOWNLOAD_LENGTH, announced));
    for (size_t i = 1; i < r.numbers.size(); ++i)
        EXPECT_TRUE(r.numbers[i] == WM_DOWNLOAD_PROGRESS && r.wParams[i] > 0 && r.wParams[i] <= 8192) << i;
    EXPECT_EQ(std::accumulate(r.wParams.begin() + 1, r.wParams.end(), qint64(0)), total);
}

struct HttpClientTest : testing::Test {
    // A path on the server, or a whole URL as it is.
    QString url(const std::string &t) { return t[0] == '/' ? server.url(t) : QString::fromStdString(t); }
    test::TestServer server;
    InternetSession session; // fresh limits and credentials; ends first, closing its kept-alive connections
};

TEST_F(HttpClientTest, FetchUrlAppendsWholeBodiesOnlyAndReportsTheirProgress)
{
    FetchLimits limits;
    limits.lowSpeedSeconds = 1; // under 32 bytes a second for a second: given up
    session.setLimits(limits);
    constexpr qint64 kCap = 256 * 1024, kMax = kMaxDocumentBytes, kMute = -1, kAny = -2;
    const QByteArray gz = test::gzipBytes(kDoc), nul("before\0after", 12), exact(kCap, 'e');
    const QByteArray over(kCap + 1, 'o');
    const std::tuple<std::string, QByteArray, int> plain[] = {
        { "/big", kBig, 200 }, { "/nul", nul, 200 },     { "/exact", exact, 200 }, { "/long", over, 200 },
        { "/s304", "", 304 },  { "/s399", "body", 399 }, { "/s400", "body", 400 }, { "/hop11", "end", 200 },
    };
    for (const auto &[path, body, status] : plain)
        server.serve(path, body.toStdString(), status, "application/octet-stream");
    server.chunked("/chunked", kBig.toStdString());
    server.gzipEncoded("/encoded", kDoc.toStdString());
    server.gzipFile("/gz", kDoc.toStdString());
    server.silence("/silent");
    server.trickle("/trickle");
    server.endless("/endless");
    server.gzipEncoded("/bomb", over.toStdString());
    const int redirects[] = { 301, 302, 303, 307, 308 };
    for (int i = 0; i < 11; ++i)
        server.redirect("/hop" + std::to_string(i), "/hop" + std::to_string(i + 1), redirects[i % 5]);
    server.redirect("/tofile", "file:///etc/hostname");
    const std::string file = "file://" + (test::PrivateFoldersListener::root() + "/local.bin").toStdString();
    ASSERT_TRUE(test::writeFile(QString::fromStdString(file.substr(7)), kBig));
    // A path on the server or a URL, the body read (none: the fetch fails), the length announced (0: unknown;
    // kMute: the failure posts nothing, kAny: it may), and the cap. Wire encodings are decoded, gzip files
    // and NULs kept; slow or silent servers fail; statuses below 400 are read; the cap holds for declared and
    // decoded lengths and for files; up to 10 redirects, only to http or https; only http(s) and files.
    const std::tuple<std::string, std::optional<QByteArray>, qintptr, qint64> cases[] = {
        { "/big", kBig, 20000, kMax },  { "/chunked", kBig, 0, kMax },   { "/encoded", kDoc, 0, kMax },
        { "/gz", gz, gz.size(), kMax }, { "/nul", nul, 12, kMax },       { "/silent", {}, kMute, kMax },
        { "/trickle", {}, kAny, kMax }, { "/s304", "", 0, kMax },        { "/s399", "body", 4, kMax },
        { "/s400", {}, kMute, kMax },   { "/endless", {}, kAny, kCap },  { "/long", {}, kMute, kCap },
        { "/bomb", {}, kAny, kCap },    { "/exact", exact, kCap, kCap }, { file, kBig, 0, kMax },
        { file, {}, kAny, 9999 },       { file + "x", {}, kMute, kMax }, { "/hop1", "end", 3, kMax },
        { "/hop0", {}, kMute, kMax },   { "/tofile", {}, kMute, kMax },  { "ftp://x", {}, kMute, kMax },
    };
    for (const auto &[target, body, announced, cap] : cases) {
        SCOPED_TRACE(target + " cap " + std::to_string(cap));
        MessageRecorder receiver;
        QByteArray buffer = "kept:";
        EXPECT_EQ(FetchUrl(session, url(target), buffer, true, true, &receiver, cap), body.has_value());
        receiver.drain();
        EXPECT_LE(buffer.size(), 5 + cap);
        if (body) {
            EXPECT_EQ(buffer, "kept:" + *body);
            expectProgress(receiver, announced, body->size());
        }
        EXPECT_TRUE(announced != kMute || receiver.numbers.empty());
    }
    EXPECT_EQ(server.lastHeader("/hop11", "User-Agent"), InternetSession::userAgent().toStdString());

    // Text ends at its first NUL; gzip files are decompressed, plain bodies kept; failures read as empty.
    EXPECT_EQ(FetchText(session, url("/nul"), true, nullptr), "before");
    EXPECT_EQ(FetchCompressedText(session, url("/gz"), true, nullptr), kDoc);
    EXPECT_EQ(server.lastRemotePort("/nul"), server.lastRemotePort("/gz")) << "kept alive";
    EXPECT_EQ(FetchCompressedText(session, url("/big"), true, nullptr), kBig);
    EXPECT_EQ(FetchText(session, url("/s400"), true, nullptr), "");
}

TEST_F(HttpClientTest, TheCacheAnswersUnchangedDocumentsReloadBypassesItAndDamagedEntriesAreIgnored)
{
    const std::tuple<bool, std::string, int> steps[] = {
        { false, "a", 200 }, { false, "a", 304 }, { true, "a", 200 },
        { false, "b", 200 }, { false, "b", 304 },
    };
    for (const auto &[reload, body, status] : steps) {
        SCOPED_TRACE(body + (reload ? " reloaded" : ""));
        server.document("/doc", body);
        MessageRecorder receiver;
        EXPECT_EQ(FetchText(session, url("/doc"), reload, &receiver), QByteArray::fromStdString(body));
        receiver.drain();
        expectProgress(receiver, status == 304, 1); // length known from the cache, not the gzip wire
        EXPECT_EQ(server.statuses("/doc").back(), status);
        EXPECT_EQ(server.lastHeader("/doc", "Cache-Control"), reload ? "no-cache" : "");
        // A poll carries only what the server acts on: the entity tag, not the date nor "Accept: */*".
        EXPECT_EQ(server.lastHeader("/doc", "If-None-Match").empty(),
                  reload || (status == 200 && body == "a"));
        EXPECT_EQ(server.lastHeader("/doc", "If-Modified-Since") + server.lastHeader("/doc", "Accept"), "");
    }

    const QString path = HttpCache::folder() + QDir(HttpCache::folder()).entryList(QDir::Files).value(0);
    const QByteArray good = test::readFile(path);
    for (const QByteArray &entry : { good, good.left(good.size() - 3), "garbage\n" + good,
                                     QByteArray(good).replace("/doc", "/dox"), QByteArray() }) {
        ASSERT_TRUE(test::writeFile(path, entry));
        EXPECT_EQ(HttpCache::load(url("/doc")).has_value(), entry == good) << entry.left(20).toStdString();
    }
    EXPECT_FALSE(HttpCache::store(url("/doc"), HttpCacheEntry { "", "", "no validator" }));
    EXPECT_TRUE(HttpCache::folder().startsWith(qEnvironmentVariable("XDG_CACHE_HOME")));
    // A document dated but without an entity tag is validated by its date.
    server.route("/dated", [](const httplib::Request &request, httplib::Response &response) {
        const std::string date = "Tue, 14 Nov 2023 22:13:20 GMT";
        response.set_header("Last-Modified", date);
        response.status = request.get_header_value("If-Modified-Since") == date ? 304 : 200;
        response.body = response.status == 200 ? "d" : "";
    });
    for (int poll = 0; poll < 2; ++poll)
        EXPECT_EQ(FetchText(session, url("/dated"), false, nullptr), "d");
    EXPECT_EQ(server.statuses("/dated"), (std::vector<int> { 200, 304 }));
}

// Answers proxy prompts with Ana's passwords in order; an empty one, or none left, declines.
struct ListProvider : ProxyCredentialsProvider {
    std::optional<ProxyCredentials> askProxyCredentials(const QString &, const QString &realm) override
    {
        lastRealm = realm;
        const QString password = passwords.isEmpty() ? QString() : passwords.takeFirst();
        return password.isEmpty() ? std::nullopt : std::optional(ProxyCredentials { u"ana"_s, password });
    }
    QStringList passwords;
    QString lastRealm;
};

TEST_F(HttpClientTest, Status407AsksForCredentialsRetriesAndRemembersThem)
{
    server.serve("/doc", "through the proxy");
    server.requireProxyAuth("ana", "s3cret");
    session.setProxy(QString::fromStdString(server.baseUrl()));
    const QString doc = u"http://tavrin.test/doc"_s; // exists only behind the test proxy
    EXPECT_TRUE(FetchText(session, doc, true, nullptr).isEmpty()) << "the default provider declines";
    EXPECT_EQ(server.statuses("/doc"), std::vector<int> { 407 });
    ListProvider provider;
    session.setCredentialsProvider(&provider);
    // In order: the provider's passwords (none: the credentials accepted before are used), reload, success,
    // and the passwords taken; a provider that keeps giving refused ones is not asked for ever.
    const QStringList stubborn(20, "guess");
    const std::tuple<QStringList, bool, bool, int> cases[] = {
        { { "" }, true, false, 1 },    { { "guess", "" }, true, false, 2 },
        { stubborn, true, false, 11 }, { { "guess", "s3cret" }, true, true, 2 },
        { {}, true, true, 0 },         { {}, false, true, 0 },
    };
    for (const auto &[passwords, reload, ok, asks] : cases) {
        SCOPED_TRACE(passwords.join(u',').toStdString());
        provider.passwords = passwords;
        EXPECT_EQ(FetchText(session, doc, reload, nullptr), ok ? "through the proxy" : "");
        EXPECT_EQ(passwords.size() - provider.passwords.size(), asks);
    }
    EXPECT_EQ(provider.lastRealm, "test proxy");
}

TEST(UrlRules, RedirectsOnlyToHttpOrHttpsNeverDowngradedAndEscapesDecodedOnly)
{
    const std::tuple<QString, QString, bool> redirects[] = {
        { "http://a", "http://b", true },   { "http://a", "https://b", true },
        { "https://a", "https://b", true }, { "https://a", "http://a", false },
        { "HTTPS://a", "HTTP://b", false }, { "http://a", "file:///x", false },
        { "http://a", "ftp://b", false },   { "https://a", "javascript:x", false },
        { "http://a", "", false },
    };
    for (const auto &[from, to, allowed] : redirects)
        EXPECT_EQ(RedirectAllowed(from, to), allowed) << from.toStdString() << " -> " << to.toStdString();
    const QString x(2082, 'x'); // decoded texts longer than 2083 characters leave the input as it was
    const std::pair<QString, QString> escapes[] = {
        { "a%20b", "a b" }, { "x?id=a%26b", "x?id=a&b" }, { "caf%C3%A9", u"café"_s },
        { "b c", "b c" },   { "100%", "100%" },           { "%zz%4", "%zz%4" },
        { "%2541", "%41" }, { "%41" + x, "A" + x },       { "%41x" + x, "%41x" + x },
    };
    for (const auto &[in, out] : escapes)
        EXPECT_EQ(DecodeUrl(in), out) << in.left(40).toStdString();
}

} // namespace
} // namespace tavrin
