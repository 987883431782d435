// The demo publisher run as a program: its documents pass the client's own loader, parser and checker,
// it answers like a real server, and each control endpoint misbehaves as its README promises.
#include "base/clock.h"
#include "base/files.h"
#include "base/gzip.h"
#include "config/configloader.h"
#include "config/selection.h"
#include "news/newsstore.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

using namespace tavrin;

namespace {

const QString kPublisher = QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-publisher");
const QString kOffered = QStringLiteral("1.0.0.11");

// One publisher for the whole suite, on a free port, with a new headline every second.
struct Publisher {
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("installer-ran.txt"));
    const QString log = dir.filePath(QStringLiteral("requests.log"));
    QProcess process;
    QString base; // "http://127.0.0.1:PORT/"
    int port = 0;

    Publisher()
    {
        process.start(kPublisher,
                      { "--port", "0", "--news-every", "1", "--offer-version", kOffered, "--installer-marker",
                        marker, "--log", log });
        while (process.waitForStarted(10000) && !process.canReadLine() && process.waitForReadyRead(10000)) { }
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("^listening on (http://127\\.0\\.0\\.1:(\\d+)/)$"))
                  .match(QString::fromUtf8(process.readLine()).trimmed());
        base = match.captured(1);
        port = match.captured(2).toInt();
    }
    ~Publisher()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
};

class PublisherTest : public testing::Test {
protected:
    static inline Publisher *publisher = nullptr;
    static void SetUpTestSuite() { publisher = new Publisher; }
    static void TearDownTestSuite() { delete std::exchange(publisher, nullptr); }
    void SetUp() override
    {
        ASSERT_GT(publisher->port, 0) << "the publisher did not announce its address";
        ASSERT_EQ(control("reset"), 200);
    }

    // A GET of a site path, not decoded; an answer that does not come within timeoutMs gives no result.
    static httplib::Result get(const std::string &path, const httplib::Headers &headers = {},
                               int timeoutMs = 10000)
    {
        httplib::Client http("127.0.0.1", publisher->port);
        http.set_decompress(false);
        http.set_read_timeout(std::chrono::milliseconds(timeoutMs));
        return http.Get(path, headers);
    }
    static int status(const httplib::Result &result) { return result ? result->status : -1; }
    static int control(const std::string &nameAndQuery) { return status(get("/_control/" + nameAndQuery)); }
    static QByteArray body(const httplib::Result &r)
    {
        return QByteArray::fromStdString(status(r) == 200 ? r->body : "");
    }
    static QByteArray body(const std::string &path) { return body(get(path)); }
    // The site path of an address the configuration names.
    static std::string pathOf(const QString &address)
    {
        EXPECT_TRUE(address.startsWith(publisher->base)) << address.toStdString();
        return address.mid(publisher->base.size() - 1).toStdString();
    }
    static ClientConfig load(const QByteArray &text, bool accepted = true)
    {
        ClientConfig config;
        QString reason;
        EXPECT_EQ(LoadConfigurationText(text, config, &reason), accepted) << reason.toStdString();
        return config;
    }
    static QList<NewsRecord> parse(const QByteArray &document)
    {
        QList<NewsRecord> records;
        const SystemClock clock;
        EXPECT_TRUE(
            NewsStore(clock).parseSectionsNews(document, [&](const NewsRecord &r) { records.append(r); }));
        return records;
    }
    // A served document as the client's own downloader receives it (gzip where offered), after the
    // checker has given its verdict (its last line) on it.
    static QByteArray checked(const std::string &path, const char *command, const char *verdict)
    {
        const test::ToolRun fetched = test::runTool({ "fetch", "--compressed", publisher->base + &path[1] });
        const QString file = test::PrivateFoldersListener::root() + QStringLiteral("/document.xml");
        EXPECT_TRUE(fetched.exitCode == 0 && test::writeFile(file, fetched.out)) << fetched.err.toStdString();
        const test::ToolRun run = test::runTool({ QString::fromLatin1(command), file });
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.trimmed().split('\n').last(), verdict);
        return fetched.out;
    }
};

} // namespace

TEST_F(PublisherTest, ConfigurationPassesTheClientsLoaderAndNamesTheServer)
{
    const ClientConfig config = load(checked("/clientconfig.xml", "check-config", "accepted"));
    EXPECT_EQ(config.url, publisher->base + QStringLiteral("clientconfig.xml"));
    EXPECT_EQ(config.app_version, kOffered);
    EXPECT_EQ(config.sections_html_url,
              publisher->base + QStringLiteral("noticias/@SECTION@/@SUBSECTIONS@/"));
    EXPECT_GE(config.sections.size(), 5);
    EXPECT_TRUE(config.FindUserFeedSection().has_value());
    EXPECT_GE(std::count_if(config.sections.begin(), config.sections.end(),
                            [](const Section &s) { return !s.subsections.isEmpty(); }),
              2);
    EXPECT_FALSE(config.texts.empty());
    EXPECT_TRUE(config.alerts_reload >= 10 && config.alerts_reload <= 20) << config.alerts_reload;
    for (const char *block : { "BLOCK_SECTION", "BLOCK_SELECTED_SECTION", "{SECTIONS}", "tavrin://prefs/" })
        EXPECT_TRUE(config.header_html.contains(QLatin1String(block))) << block;
    for (const char *block : { "BLOCK_NEWS", "{NEWS}", "{news_title}", "{news_url}", "{news_time}" })
        EXPECT_TRUE(config.alerts_html.contains(QLatin1String(block))) << block;
    for (const QString &address : { config.monitoring_url, config.urgent_url, config.loading_url,
                                    config.app_url, config.sections_xml_url })
        EXPECT_FALSE(body(pathOf(address)).isEmpty()) << address.toStdString();
    // The icons' checksums match the images served.
    for (const char *icon : { "tavrin_icon", "tavrin_taskbar_icon", "tavrin_taskbar_disabled_icon" }) {
        const auto image = config.images.find(QString::fromLatin1(icon));
        ASSERT_NE(image, config.images.end()) << icon;
        const QByteArray bytes = body(pathOf(image->second.url));
        EXPECT_TRUE(bytes.startsWith("\x89PNG") && BufferCrc32(bytes) == image->second.crc32) << icon;
    }
}

TEST_F(PublisherTest, InstalledConfigurationIsTheServedOneForTheDefaultPort)
{
    const QByteArray file = test::readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml"));
    QProcess print;
    print.start(kPublisher, { QStringLiteral("--print-config") });
    ASSERT_TRUE(print.waitForFinished(10000));
    EXPECT_EQ(print.exitCode(), 0);
    EXPECT_EQ(print.readAllStandardOutput(), file)
        << "res/clientconfig.xml is stale: run tavrin-publisher --print-config > res/clientconfig.xml";
    EXPECT_EQ(load(file).url, QStringLiteral("http://127.0.0.1:8642/clientconfig.xml"));

    // The running server serves the same document with its own address and offered version.
    QByteArray served = file;
    served.replace("http://127.0.0.1:8642/", publisher->base.toUtf8());
    served.replace("version=\"1.0.0.10\"", "version=\"" + kOffered.toUtf8() + "\"");
    EXPECT_EQ(body("/clientconfig.xml"), served);
}

TEST_F(PublisherTest, NewsDocumentsPassTheClientsParserAndTheChecker)
{
    const ClientConfig config = load(body("/clientconfig.xml"));
    const std::optional<Section> feeds = config.FindUserFeedSection();
    ASSERT_TRUE(feeds.has_value());
    const QString feedId = QRegularExpression(QStringLiteral("id=\"(\\w+)\""))
                               .match(body("/otros-medios/alta?url=https://ejemplo.org/rss.xml"))
                               .captured(1);
    ASSERT_FALSE(feedId.isEmpty());
    const QString feedKey = feeds->id + QLatin1Char('_');
    const auto feed = [&](const QString &id) {
        return pathOf(QString(feeds->user_rss_xml_url).replace(QStringLiteral("@SUBSECTION@"), id));
    };
    const struct {
        std::string path;
        int least; // records; 0: none
        QString key; // every record's key; when empty, a key the configuration knows
    } cases[] = {
        { pathOf(config.sections_xml_url), 11, {} },
        { "/xml/seccion/5.xml", 1, {} },
        { pathOf(feeds->xml_url), 0, {} },
        { feed(feedId), 1, feedKey + feedId },
        { feed(QStringLiteral("m0a1b2c3d")), 1, feedKey + QStringLiteral("m0a1b2c3d") },
    };
    const QRegularExpression date(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const QList<NewsRecord> records = parse(checked(c.path, "check-news", "read"));
        EXPECT_TRUE(c.least ? records.size() >= c.least : records.isEmpty()) << records.size();
        QSet<qint64> times;
        for (const NewsRecord &r : records) {
            // A known key lets the client tell whether the record's section is selected.
            EXPECT_TRUE(c.key.isEmpty() ? !KeyDisplayName(config, r.section_key).isEmpty()
                                || r.section_key.startsWith(feedKey)
                                        : r.section_key == c.key)
                << r.section_key.toStdString();
            EXPECT_TRUE(r.url.startsWith(QLatin1String("http")) && date.match(r.date).hasMatch())
                << r.url.toStdString() << " " << r.date.toStdString();
            times.insert(r.time);
        }
        // One item per second at most: the client keeps a single record per time value.
        EXPECT_EQ(times.size(), records.size());
    }
}

TEST_F(PublisherTest, HeadlinesKeepArrivingAndPublishAddsOneAtOnce)
{
    const auto ids = [] {
        QSet<QString> ids;
        for (const NewsRecord &record : parse(body("/xml/sections_news.xml")))
            ids.insert(record.id);
        return ids;
    };
    const QSet<QString> before = ids();
    ASSERT_FALSE(before.isEmpty());
    EXPECT_TRUE(test::waitUntil([&] { return !(ids() - before).isEmpty(); }, 8000));

    const httplib::Result published = get("/_control/publish?key=2_21&title=Titular%20de%20prueba");
    ASSERT_EQ(status(published), 200);
    const QString id = QString::fromStdString(published->body).trimmed();
    const QList<NewsRecord> records = parse(body("/xml/sections_news.xml"));
    const auto found = std::find_if(records.begin(), records.end(), [&](auto &r) { return r.id == id; });
    ASSERT_NE(found, records.end());
    EXPECT_EQ(found->section_key, QStringLiteral("2_21"));
    EXPECT_EQ(found->title, QStringLiteral("Titular de prueba"));
}

TEST_F(PublisherTest, PagesAndControlsChangeWhatAClientSees)
{
    const std::string alert = "tavrin://show_alert/?id=", internal = "tavrin://navigate_internal/?url=";
    const std::vector<std::string> archive
        = { "navigate_explorer_news/?url=", "select_section/?id=", "about/", "close_window/" };
    const struct {
        std::string set, path; // set: a control, or none
        int status; // -1: no answer within half a second
        std::vector<std::string> contains;
        std::string undo; // a control after which the path answers 200 again
    } cases[] = {
        { "", "/noticias/2/21,22/", 200, { "Madrid, Cataluña", alert, internal }, "" },
        { "", "/noticias/2/", 200, { "Todas las noticias de la sección", alert, internal }, "" },
        { "", "/noticias/5/51/", 200, { "Fútbol", alert, internal }, "" },
        { "", "/noticias/77/", 404, {}, "" },
        { "", "/hemeroteca.html", 200, archive, "" },
        { "", "/urgente.html", 200, { "tavrin://navigate_explorer_news/?url=" }, "" },
        { "offline?on=1", "/monitor.txt", 503, {}, "offline?on=0" },
        { "offline?on=1", "/xml/sections_news.xml", 200, { "<sections_news" }, "" },
        { "offline?on=1&all=1", "/xml/sections_news.xml", 503, {}, "reset" },
        { "status?path=/xml/*&code=503", "/xml/seccion/5.xml", 503, {}, "status?path=/xml/*&code=0" },
        { "status?path=/xml/*&code=503", "/monitor.txt", 200, { "OK" }, "" },
        { "delay?path=/monitor.txt&ms=50", "/monitor.txt", 200, { "OK" }, "delay?path=/monitor.txt&ms=0" },
        { "delay?path=/monitor.txt&ms=600000", "/monitor.txt", -1, {}, "reset" },
        { "silent?path=/monitor.txt", "/monitor.txt", -1, {}, "silent?path=/monitor.txt&on=0" },
        { "silent?path=/monitor.txt", "/urgente.html", 200, {}, "" },
        { "proxy_auth?user=lector&password=clave", "/monitor.txt", 407, {}, "proxy_auth" },
        { "urgent?text=", "/urgente.html", 200, { "<body></body>" }, "reset" },
        { "urgent?text=Pleno%20suspendido", "/urgente.html", 200, { "Pleno suspendido" }, "urgent" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.set + " " + c.path);
        ASSERT_TRUE(c.set.empty() || control(c.set) == 200);
        const httplib::Result result = get(c.path, {}, c.status == -1 ? 500 : 10000);
        EXPECT_EQ(status(result), c.status);
        for (const std::string &text : c.contains)
            EXPECT_NE(body(result).indexOf(text), -1) << text;
        if (!c.undo.empty()) {
            ASSERT_EQ(control(c.undo), 200);
            EXPECT_EQ(status(get(c.path)), 200);
        }
        ASSERT_EQ(control("reset"), 200);
    }
    for (const std::string kind : { "malformed", "invalid", "off" }) {
        SCOPED_TRACE(kind);
        ASSERT_EQ(control("broken_config?kind=" + kind), 200);
        const QByteArray text = body("/clientconfig.xml");
        EXPECT_FALSE(text.isEmpty());
        load(text, kind == "off");
    }
    const std::pair<const char *, int> wrong[]
        = { { "status?path=/x&code=42", 400 }, { "status?code=500", 400 },
            { "delay?path=/x&ms=-1", 400 },    { "broken_config?kind=strange", 400 },
            { "publish?key=99&title=x", 400 }, { "nonsense", 404 } };
    for (const auto &[query, code] : wrong)
        EXPECT_EQ(control(query), code) << query;
}

TEST_F(PublisherTest, RegistrationGivesStableIdentifiersAndRefusesOtherSchemes)
{
    // Equal letters: the same identifier; 0: an error.
    const std::pair<std::string, char> cases[] = { { "http://diario.es/rss.xml", 'a' },
                                                   { "http://diario.es/rss.xml", 'a' },
                                                   { "https://diario.es/rss.xml", 'b' },
                                                   { "http://diario.es/rss.xml&seccion=2", 'c' },
                                                   { "ftp://diario.es/rss.xml", 0 },
                                                   { "diario.es/rss.xml", 0 },
                                                   { "", 0 } };
    std::map<char, QString> ids;
    for (const auto &[address, letter] : cases) {
        SCOPED_TRACE(address);
        const QByteArray answer = body("/otros-medios/alta?url=" + address);
        const QString id = QRegularExpression(QStringLiteral("<add_user_rss_result id=\"(\\w+)\"/>"))
                               .match(QString::fromUtf8(answer))
                               .captured(1);
        EXPECT_EQ(answer.contains("<error>"), letter == 0) << answer.toStdString();
        EXPECT_EQ(id.isEmpty(), letter == 0) << answer.toStdString();
        for (const auto &[other, otherId] : ids)
            EXPECT_EQ(otherId == id, other == letter) << other;
        if (letter)
            ids[letter] = id;
    }
}

TEST_F(PublisherTest, SilenceEndsWhenTheControlsAreReset)
{
    ASSERT_EQ(control("silent?path=*"), 200);
    std::atomic<int> answered { 0 };
    std::thread waiting([&answered] {
        const httplib::Result result = get("/monitor.txt");
        answered = result && result->body == "OK" ? result->status : -1;
    });
    // The waiting request holds a worker; the control path still answers meanwhile.
    const auto state
        = [](const char *text) { return get("/_control/state")->body.find(text) != std::string::npos; };
    EXPECT_TRUE(test::waitUntil([&] { return state("waiting=1"); }));
    EXPECT_EQ(answered, 0);
    ASSERT_EQ(control("reset"), 200);
    waiting.join();
    EXPECT_EQ(answered, 200);
    EXPECT_TRUE(state("waiting=0"));
}

TEST_F(PublisherTest, ProxyAuthenticationIsRequiredUntilTheRightCredentialsCome)
{
    ASSERT_EQ(control("proxy_auth?user=lector&password=clave%20secreta"), 200);
    const httplib::Result refused = get("/monitor.txt");
    ASSERT_EQ(status(refused), 407);
    EXPECT_EQ(refused->get_header_value("Proxy-Authenticate"), "Basic realm=\"Belmoreta proxy\"");
    const std::pair<QByteArray, int> cases[]
        = { { "lector:clave secreta", 200 }, { "lector:otra", 407 }, { "otro:clave secreta", 407 } };
    for (const auto &[credentials, expected] : cases) {
        const std::string authorization = "Basic " + credentials.toBase64().toStdString();
        EXPECT_EQ(status(get("/monitor.txt", { { "Proxy-Authorization", authorization } })), expected);
    }
    // A request sent through the publisher as a proxy names the whole address.
    httplib::Client viaProxy("127.0.0.1", publisher->port);
    viaProxy.set_proxy("127.0.0.1", publisher->port);
    viaProxy.set_proxy_basic_auth("lector", "clave secreta");
    const httplib::Result proxied = viaProxy.Get("/monitor.txt");
    ASSERT_EQ(status(proxied), 200);
    EXPECT_EQ(proxied->body, "OK");
}

TEST_F(PublisherTest, ConditionalRequestsAndGzipWhenTheClientAcceptsIt)
{
    const std::string news = "/xml/sections_news.xml"; // changes every second: no conditional checks
    const struct {
        std::string path, acceptEncoding;
        bool gzip, conditional;
    } cases[] = {
        { news, "gzip", true, false },
        { news, "deflate, gzip;q=0.5", true, false },
        { news, "gzip;q=0", false, false },
        { news, "", false, false },
        { "/clientconfig.xml", "br, gzip", true, true },
        { "/clientconfig.xml", "", false, true },
        { "/xml/seccion/5.xml", "", false, true },
        { "/css/diario.css", "", false, true },
        { "/images/tavrin_icon.png", "gzip", false, true },
        { "/monitor.txt", "gzip", false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path + " / " + c.acceptEncoding);
        const httplib::Headers accept = { { "Accept-Encoding", c.acceptEncoding } };
        const httplib::Result first = get(c.path, c.acceptEncoding.empty() ? httplib::Headers() : accept);
        ASSERT_EQ(status(first), 200);
        EXPECT_EQ(first->get_header_value("Content-Encoding") == "gzip", c.gzip);
        const QByteArray sent = QByteArray::fromStdString(first->body), plain = body(c.path);
        EXPECT_EQ(c.gzip ? ReadGzipText(sent) : sent, plain);
        EXPECT_TRUE(!c.gzip || sent.size() < plain.size());
        if (!c.conditional)
            continue;
        const std::string tag = first->get_header_value("ETag"),
                          since = first->get_header_value("Last-Modified");
        ASSERT_FALSE(tag.empty() || since.empty());
        const httplib::Result byTag = get(c.path, { { "If-None-Match", tag } });
        EXPECT_EQ(status(byTag), 304);
        EXPECT_TRUE(byTag->body.empty());
        EXPECT_EQ(status(get(c.path, { { "If-Modified-Since", since } })), 304);
        EXPECT_EQ(status(get(c.path, { { "If-None-Match", "\"otra-etiqueta\"" } })), 200);
        EXPECT_EQ(status(get(c.path, { { "If-Modified-Since", "Thu, 01 Jan 1998 00:00:00 GMT" } })), 200);
    }
    // A new headline changes the news document, so its old tag no longer matches.
    const std::string tag = get(news)->get_header_value("ETag");
    ASSERT_EQ(control("publish?key=1&title=Nueva"), 200);
    EXPECT_EQ(status(get(news, { { "If-None-Match", tag } })), 200);
}

TEST_F(PublisherTest, RequestLogCountsTheBytesSent)
{
    ASSERT_EQ(control("log?clear=1"), 200);
    const httplib::Result packed = get("/xml/sections_news.xml", { { "Accept-Encoding", "gzip" } });
    const std::string tag = get("/css/diario.css")->get_header_value("ETag");
    ASSERT_EQ(status(get("/css/diario.css", { { "If-None-Match", tag } })), 304);
    // The server logs a request just after answering it.
    std::string log;
    EXPECT_TRUE(test::waitUntil([&] {
        log = get("/_control/log")->body;
        return log.find("total requests=3 ") != std::string::npos;
    })) << log;
    const std::size_t at = log.find("GET /xml/sections_news.xml 200 headers=");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string line = log.substr(at, log.find('\n', at) - at);
    EXPECT_NE(line.find(" body=" + std::to_string(packed->body.size()) + " gzip"), std::string::npos) << line;
    EXPECT_NE(log.find("GET /css/diario.css 304 headers="), std::string::npos) << log;
    EXPECT_NE(log.find("body=0\n"), std::string::npos);
    EXPECT_EQ(log.find("/_control/"), std::string::npos);
    EXPECT_TRUE(test::readFile(publisher->log).contains(QByteArray::fromStdString(line)));
}

TEST_F(PublisherTest, OfferedInstallerOnlyWritesItsMarker)
{
    const QString script = test::PrivateFoldersListener::root() + QStringLiteral("/instalador");
    ASSERT_TRUE(test::writeFile(script, body(pathOf(load(body("/clientconfig.xml")).app_url))));
    ASSERT_TRUE(test::readFile(script).startsWith("#!/bin/sh"));
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(publisher->marker);
    QProcess installer;
    installer.start(script, {});
    ASSERT_TRUE(installer.waitForFinished(10000));
    EXPECT_EQ(installer.exitCode(), 0);
    EXPECT_TRUE(test::readFile(publisher->marker).contains(kOffered.toUtf8()));

    ASSERT_EQ(control("version?offer=2.0"), 200);
    EXPECT_EQ(load(body("/clientconfig.xml")).app_version, QStringLiteral("2.0"));
}
