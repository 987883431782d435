// The demo publisher run as a program: its documents pass the client's own readers, and each control
// endpoint changes what an HTTP client sees.
#include "base/files.h"
#include "base/gzip.h"
#include "config/clientconfig.h"
#include "config/configloader.h"
#include "net/httpclient.h"
#include "news/newsstore.h"
#include "support/testfiles.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace tavrin;

namespace {

const QString kPublisher = QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-publisher");
const QString kOfferedVersion = QStringLiteral("1.0.0.11");

// One publisher for the whole suite, on a free port, with a headline every second.
class Publisher {
public:
    Publisher()
    {
        m_process.setProgram(kPublisher);
        m_process.setArguments(
            { QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--news-every"),
              QStringLiteral("1"), QStringLiteral("--offer-version"), kOfferedVersion,
              QStringLiteral("--installer-marker"), markerPath(), QStringLiteral("--log"), logPath() });
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) { }
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("^listening on (http://127\\.0\\.0\\.1:(\\d+)/)$"))
                  .match(line);
        if (match.hasMatch()) {
            m_base = match.captured(1);
            m_port = match.captured(2).toInt();
        }
    }
    ~Publisher()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    bool running() const { return m_port > 0; }
    QString base() const { return m_base; }
    int port() const { return m_port; }
    QString url(const QString &path) const { return m_base + path; }
    QString markerPath() const { return m_dir.filePath(QStringLiteral("installer-ran.txt")); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("requests.log")); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_base;
    int m_port = 0;
};

class PublisherTest : public testing::Test {
protected:
    static void SetUpTestSuite() { s_publisher = new Publisher; }
    static void TearDownTestSuite()
    {
        delete s_publisher;
        s_publisher = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_publisher->running()) << "the publisher did not announce its address";
        m_session = std::make_unique<InternetSession>();
        FetchLimits limits;
        limits.connectTimeoutMs = 3000;
        limits.lowSpeedSeconds = 2;
        m_session->setLimits(limits);
        ASSERT_EQ(control("reset").status, 200);
    }

    static Publisher &publisher() { return *s_publisher; }

    static httplib::Client client()
    {
        httplib::Client http("127.0.0.1", s_publisher->port());
        http.set_decompress(false);
        http.set_read_timeout(10, 0);
        return http;
    }
    // GET of a publisher path; a result with status -1 when no answer came.
    static httplib::Result get(const std::string &path, const httplib::Headers &headers = {})
    {
        return client().Get(path, headers);
    }
    struct Answer {
        int status = -1;
        std::string body;
    };
    static Answer control(const std::string &nameAndQuery)
    {
        const httplib::Result result = get("/_control/" + nameAndQuery);
        return result ? Answer { result->status, result->body } : Answer {};
    }

    static ClientConfig loadServedConfig()
    {
        ClientConfig config;
        QString reason;
        const QByteArray text = FetchText(publisher().url(QStringLiteral("clientconfig.xml")), true, nullptr);
        EXPECT_TRUE(LoadConfigurationText(text, config, &reason)) << reason.toStdString();
        return config;
    }

    std::unique_ptr<InternetSession> m_session;
    static Publisher *s_publisher;
};

Publisher *PublisherTest::s_publisher = nullptr;

QSet<QString> newsIds(const QByteArray &document)
{
    QSet<QString> ids;
    NewsStore store;
    store.parseSectionsNews(document, [&](const NewsRecord &record) { ids.insert(record.id); });
    return ids;
}

} // namespace

TEST_F(PublisherTest, ConfigurationPassesTheClientsLoaderAndNamesTheServer)
{
    const ClientConfig config = loadServedConfig();
    EXPECT_EQ(config.url, publisher().url(QStringLiteral("clientconfig.xml")));
    EXPECT_EQ(config.app_version, kOfferedVersion);
    EXPECT_GE(config.sections.size(), 5);
    ASSERT_TRUE(config.FindUserFeedSection().has_value());
    int withSubsections = 0;
    for (const Section &section : config.sections)
        withSubsections += section.subsections.isEmpty() ? 0 : 1;
    EXPECT_GE(withSubsections, 2);
    EXPECT_FALSE(config.texts.empty());
    EXPECT_GE(config.alerts_reload, 10);
    EXPECT_LE(config.alerts_reload, 20);
    for (const char *block : { "BLOCK_SECTION", "BLOCK_SELECTED_SECTION", "{SECTIONS}" })
        EXPECT_TRUE(config.header_html.contains(QLatin1String(block))) << block;
    for (const char *block : { "BLOCK_NEWS", "{NEWS}", "{news_title}", "{news_url}", "{news_time}" })
        EXPECT_TRUE(config.alerts_html.contains(QLatin1String(block))) << block;

    // Every address the configuration names is served.
    const QStringList addresses = { config.monitoring_url, config.urgent_url, config.loading_url,
                                    config.app_url, config.sections_xml_url };
    for (const QString &address : addresses) {
        SCOPED_TRACE(address.toStdString());
        EXPECT_TRUE(address.startsWith(publisher().base()));
        EXPECT_FALSE(FetchText(address, true, nullptr).isEmpty());
    }
    // The icons' checksums match the images served.
    for (const char *icon : { "tavrin_icon", "tavrin_taskbar_icon", "tavrin_taskbar_disabled_icon" }) {
        SCOPED_TRACE(icon);
        const auto image = config.images.find(QString::fromLatin1(icon));
        ASSERT_NE(image, config.images.end());
        QByteArray bytes;
        ASSERT_TRUE(FetchBytes(image->second.url, bytes, true, nullptr));
        EXPECT_TRUE(bytes.startsWith("\x89PNG"));
        EXPECT_EQ(BufferCrc32(bytes), image->second.crc32);
    }
}

TEST_F(PublisherTest, InstalledConfigurationIsTheServedOneForTheDefaultPort)
{
    QFile installed(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml"));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    const QByteArray file = installed.readAll();

    QProcess print;
    print.start(kPublisher, { QStringLiteral("--print-config") });
    ASSERT_TRUE(print.waitForFinished(10000));
    EXPECT_EQ(print.exitCode(), 0);
    EXPECT_EQ(print.readAllStandardOutput(), file)
        << "res/clientconfig.xml is stale: run tavrin-publisher --print-config > res/clientconfig.xml";

    ClientConfig config;
    QString reason;
    EXPECT_TRUE(LoadConfigurationText(file, config, &reason)) << reason.toStdString();
    EXPECT_EQ(config.url, QStringLiteral("http://127.0.0.1:8642/clientconfig.xml"));

    // The running server serves the same document with its own address and offered version.
    QByteArray served = file;
    served.replace("http://127.0.0.1:8642/", publisher().base().toUtf8());
    served.replace("version=\"1.0.0.10\"", "version=\"" + kOfferedVersion.toUtf8() + "\"");
    EXPECT_EQ(FetchText(publisher().url(QStringLiteral("clientconfig.xml")), true, nullptr), served);
}

TEST_F(PublisherTest, NewsDocumentsPassTheClientsNewsParser)
{
    const ClientConfig config = loadServedConfig();
    const std::optional<Section> feeds = config.FindUserFeedSection();
    ASSERT_TRUE(feeds.has_value());
    const std::string registered = get("/otros-medios/alta?url=https://ejemplo.org/rss.xml")->body;
    const QString feedId = QRegularExpression(QStringLiteral("id=\"(\\w+)\""))
                               .match(QString::fromStdString(registered))
                               .captured(1);
    ASSERT_FALSE(feedId.isEmpty());
    QString sportsXml;
    for (const Section &section : config.sections) {
        if (!section.xml_url.isEmpty() && !CarriesUserFeeds(section))
            sportsXml = section.xml_url;
    }
    ASSERT_FALSE(sportsXml.isEmpty());

    struct Case {
        QString url;
        bool hasNews;
        QString keyPrefix;
    };
    const Case cases[] = {
        { config.sections_xml_url, true, QString() },
        { sportsXml, true, QString() },
        { feeds->xml_url, false, QString() },
        { QString(feeds->user_rss_xml_url).replace(QStringLiteral("@SUBSECTION@"), feedId), true,
          feeds->id + QLatin1Char('_') + feedId },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const QByteArray document = FetchCompressedText(c.url, true, nullptr);
        ASSERT_FALSE(document.isEmpty());
        QList<NewsRecord> records;
        NewsStore store;
        EXPECT_TRUE(store.parseSectionsNews(document, [&](const NewsRecord &r) { records.append(r); }));
        EXPECT_EQ(!records.isEmpty(), c.hasNews);
        QSet<qint64> times;
        for (const NewsRecord &record : records) {
            SCOPED_TRACE(record.id.toStdString());
            EXPECT_TRUE(c.keyPrefix.isEmpty() || record.section_key == c.keyPrefix);
            // Every key is one the configuration knows, so the client can tell whether it is selected.
            EXPECT_TRUE(!KeyDisplayName(config, record.section_key).isEmpty()
                        || record.section_key.startsWith(feeds->id + QLatin1Char('_')));
            EXPECT_TRUE(record.url.startsWith(QLatin1String("http")));
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                            .match(record.date)
                            .hasMatch());
            times.insert(record.time);
        }
        // One item per second at most: the client keeps a single record per time value.
        EXPECT_EQ(times.size(), records.size());
    }
}

TEST_F(PublisherTest, CheckerAcceptsEveryServedDocument)
{
    struct Case {
        const char *command;
        const char *path;
        const char *verdict; // the checker's last line
    };
    const Case cases[] = {
        { "check-config", "clientconfig.xml", "accepted" },
        { "check-news", "xml/sections_news.xml", "read" },
        { "check-news", "xml/seccion/5.xml", "read" },
        { "check-news", "xml/seccion/9.xml", "read" },
        { "check-news", "xml/otros-medios/m0a1b2c3d.xml", "read" },
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = dir.filePath(QStringLiteral("document.xml"));
        ASSERT_TRUE(tavrin::test::writeFile(
            path, FetchCompressedText(publisher().url(QString::fromLatin1(c.path)), true, nullptr)));
        const tavrin::test::ToolRun tool = tavrin::test::runTool({ QString::fromLatin1(c.command), path });
        EXPECT_EQ(tool.exitCode, 0) << tool.err.toStdString();
        const QList<QByteArray> lines = tool.out.trimmed().split('\n');
        EXPECT_EQ(lines.last(), QByteArray(c.verdict));
    }
}

TEST_F(PublisherTest, HeadlinesKeepArrivingAndPublishAddsOneAtOnce)
{
    const QString address = publisher().url(QStringLiteral("xml/sections_news.xml"));
    const QSet<QString> before = newsIds(FetchCompressedText(address, true, nullptr));
    ASSERT_FALSE(before.isEmpty());
    EXPECT_TRUE(tavrin::test::waitUntil(
        [&] { return !(newsIds(FetchCompressedText(address, true, nullptr)) - before).isEmpty(); }, 8000));

    const Answer published = control("publish?key=2_21&title=Titular%20de%20prueba%20en%20Madrid");
    ASSERT_EQ(published.status, 200);
    const QString id = QString::fromStdString(published.body).trimmed();
    QList<NewsRecord> records;
    NewsStore store;
    ASSERT_TRUE(store.parseSectionsNews(FetchCompressedText(address, true, nullptr),
                                        [&](const NewsRecord &r) { records.append(r); }));
    const auto found
        = std::find_if(records.begin(), records.end(), [&](const NewsRecord &r) { return r.id == id; });
    ASSERT_NE(found, records.end());
    EXPECT_EQ(found->section_key, QStringLiteral("2_21"));
    EXPECT_EQ(found->title, QStringLiteral("Titular de prueba en Madrid"));
    EXPECT_EQ(control("publish?key=99&title=x").status, 400);
}

TEST_F(PublisherTest, NewsPagesHonourSectionAndSubsectionMarkers)
{
    const ClientConfig config = loadServedConfig();
    struct Case {
        QString section;
        QString subsections; // joined by ",", empty for none
        const char *expected;
    };
    const Case cases[] = {
        { QStringLiteral("2"), QStringLiteral("21,22"), "Madrid, Cataluña" },
        { QStringLiteral("2"), QString(), "Todas las noticias de la sección" },
        { QStringLiteral("5"), QStringLiteral("51"), "Fútbol" },
    };
    for (const Case &c : cases) {
        QString address = config.sections_html_url;
        address.replace(QStringLiteral("@SECTION@"), c.section);
        if (c.subsections.isEmpty())
            address.replace(QStringLiteral("@SUBSECTIONS@/"), QString());
        else
            address.replace(QStringLiteral("@SUBSECTIONS@"), c.subsections);
        SCOPED_TRACE(address.toStdString());
        const QString page = QString::fromUtf8(FetchCompressedText(address, true, nullptr));
        EXPECT_TRUE(page.contains(QString::fromUtf8(c.expected)));
        // Every command of the in-page protocol can be tried from the site's pages.
        EXPECT_TRUE(page.contains(QLatin1String("tavrin://show_alert/?id=")));
        EXPECT_TRUE(page.contains(QLatin1String("tavrin://navigate_internal/?url=")));
    }
    EXPECT_EQ(get("/noticias/77/")->status, 404);
    const QString hemeroteca
        = QString::fromUtf8(FetchText(publisher().url(QStringLiteral("hemeroteca.html")), true, nullptr));
    for (const char *command :
         { "navigate_explorer_news/?url=", "select_section/?id=", "about/", "close_window/" })
        EXPECT_TRUE(hemeroteca.contains(QLatin1String(command))) << command;
    EXPECT_TRUE(config.header_html.contains(QLatin1String("tavrin://prefs/")));
}

TEST_F(PublisherTest, RegistrationGivesStableIdentifiersAndRefusesOtherSchemes)
{
    auto answer = [](const std::string &address) {
        const httplib::Result result = get("/otros-medios/alta?url=" + address);
        return result ? result->body : std::string();
    };
    const std::string first = answer("http://diario-local.es/feed.xml");
    const QRegularExpression idPattern(QStringLiteral("<add_user_rss_result id=\"(\\w+)\"/>"));
    const QString id = idPattern.match(QString::fromStdString(first)).captured(1);
    ASSERT_FALSE(id.isEmpty()) << first;

    struct Case {
        std::string address;
        const char *expect; // "same", "new" or "error"
    };
    const Case cases[] = {
        { "http://diario-local.es/feed.xml", "same" },
        { "https://diario-local.es/feed.xml", "new" },
        { "http://diario-local.es/feed.xml&seccion=2", "new" },
        { "ftp://diario-local.es/feed.xml", "error" },
        { "diario-local.es/feed.xml", "error" },
        { "", "error" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address);
        const QString body = QString::fromStdString(answer(c.address));
        const QString got = idPattern.match(body).captured(1);
        if (std::string(c.expect) == "error") {
            EXPECT_TRUE(body.contains(QLatin1String("<error>"))) << body.toStdString();
            EXPECT_TRUE(got.isEmpty());
        } else {
            ASSERT_FALSE(got.isEmpty()) << body.toStdString();
            EXPECT_EQ(got == id, std::string(c.expect) == "same");
        }
    }
}

TEST_F(PublisherTest, OfflineMakesTheMonitoringProbeFail)
{
    const QString monitor = loadServedConfig().monitoring_url;
    EXPECT_EQ(FetchText(monitor, true, nullptr), QByteArray("OK"));
    ASSERT_EQ(control("offline?on=1").status, 200);
    EXPECT_TRUE(FetchText(monitor, true, nullptr).isEmpty());
    EXPECT_FALSE(
        FetchText(publisher().url(QStringLiteral("xml/sections_news.xml")), true, nullptr).isEmpty());
    ASSERT_EQ(control("offline?on=1&all=1").status, 200);
    EXPECT_TRUE(FetchText(publisher().url(QStringLiteral("xml/sections_news.xml")), true, nullptr).isEmpty());
    ASSERT_EQ(control("reset").status, 200);
    EXPECT_EQ(FetchText(monitor, true, nullptr), QByteArray("OK"));
}

TEST_F(PublisherTest, PathControlsChangeStatusDelayAndSilence)
{
    const std::string news = "/xml/sections_news.xml";
    ASSERT_EQ(get(news)->status, 200);

    ASSERT_EQ(control("status?path=/xml/*&code=503").status, 200);
    EXPECT_EQ(get(news)->status, 503);
    EXPECT_TRUE(FetchCompressedText(publisher().url(QStringLiteral("xml/sections_news.xml")), true, nullptr)
                    .isEmpty());
    EXPECT_EQ(get("/monitor.txt")->status, 200);
    ASSERT_EQ(control("status?path=/xml/*&code=0").status, 200);
    EXPECT_EQ(get(news)->status, 200);

    ASSERT_EQ(control("delay?path=" + news + "&ms=400").status, 200);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(get(news)->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(400));
    ASSERT_EQ(control("delay?path=" + news + "&ms=0").status, 200);

    ASSERT_EQ(control("silent?path=" + news).status, 200);
    httplib::Client impatient = client();
    impatient.set_read_timeout(1, 0);
    const httplib::Result silent = impatient.Get(news);
    EXPECT_FALSE(silent);
    EXPECT_EQ(silent.error(), httplib::Error::Read);
    ASSERT_EQ(control("silent?path=" + news + "&on=0").status, 200);
    EXPECT_EQ(get(news)->status, 200);

    for (const char *wrong :
         { "status?path=/x&code=42", "status?code=500", "delay?path=/x&ms=-1", "nonsense" })
        EXPECT_GE(control(wrong).status, 400) << wrong;
}

TEST_F(PublisherTest, SilenceEndsWhenTheControlsAreReset)
{
    ASSERT_EQ(control("silent?path=*").status, 200);
    std::atomic<int> status { 0 };
    std::thread waiting([&status] {
        const httplib::Result result = get("/monitor.txt");
        status = result && result->body == "OK" ? result->status : -1;
    });
    // The waiting request holds a worker; the control path still answers meanwhile.
    EXPECT_TRUE(
        tavrin::test::waitUntil([] { return control("state").body.find("waiting=1") != std::string::npos; }));
    EXPECT_EQ(status, 0);
    ASSERT_EQ(control("reset").status, 200);
    waiting.join();
    EXPECT_EQ(status, 200);
    EXPECT_NE(control("state").body.find("waiting=0"), std::string::npos);
}

TEST_F(PublisherTest, ProxyAuthenticationIsRequiredUntilTheRightCredentialsCome)
{
    ASSERT_EQ(control("proxy_auth?user=lector&password=clave%20secreta").status, 200);
    const httplib::Result refused = get("/monitor.txt");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 407);
    EXPECT_EQ(refused->get_header_value("Proxy-Authenticate"), "Basic realm=\"Belmoreta proxy\"");

    struct Case {
        std::string credentials;
        int status;
    };
    const Case cases[]
        = { { "lector:clave secreta", 200 }, { "lector:otra", 407 }, { "otro:clave secreta", 407 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.credentials);
        const QByteArray encoded = QByteArray::fromStdString(c.credentials).toBase64();
        const httplib::Result result
            = get("/monitor.txt", { { "Proxy-Authorization", "Basic " + encoded.toStdString() } });
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status);
    }

    // A request sent through the publisher as a proxy names the whole address.
    httplib::Client viaProxy = client();
    viaProxy.set_proxy("127.0.0.1", publisher().port());
    viaProxy.set_proxy_basic_auth("lector", "clave secreta");
    const httplib::Result proxied = viaProxy.Get("/monitor.txt");
    ASSERT_TRUE(proxied);
    EXPECT_EQ(proxied->status, 200);
    EXPECT_EQ(proxied->body, "OK");
    ASSERT_EQ(control("proxy_auth").status, 200);
    EXPECT_EQ(get("/monitor.txt")->status, 200);
}

TEST_F(PublisherTest, BrokenConfigurationIsRejectedByTheClientsLoader)
{
    const QString address = publisher().url(QStringLiteral("clientconfig.xml"));
    struct Case {
        const char *kind;
        bool accepted;
    };
    const Case cases[] = { { "malformed", false }, { "invalid", false }, { "off", true } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_EQ(control(std::string("broken_config?kind=") + c.kind).status, 200);
        const QByteArray text = FetchText(address, true, nullptr);
        EXPECT_FALSE(text.isEmpty());
        ClientConfig config;
        EXPECT_EQ(LoadConfigurationText(text, config), c.accepted);
    }
    EXPECT_EQ(control("broken_config?kind=strange").status, 400);
}

TEST_F(PublisherTest, ConditionalRequestsAnswerNotModified)
{
    const std::string paths[]
        = { "/clientconfig.xml", "/xml/seccion/5.xml", "/css/diario.css", "/images/tavrin_icon.png" };
    for (const std::string &path : paths) {
        SCOPED_TRACE(path);
        const httplib::Result first = get(path);
        ASSERT_TRUE(first);
        ASSERT_EQ(first->status, 200);
        const std::string tag = first->get_header_value("ETag");
        const std::string modified = first->get_header_value("Last-Modified");
        ASSERT_FALSE(tag.empty());
        ASSERT_FALSE(modified.empty());

        const httplib::Result byTag = get(path, { { "If-None-Match", tag } });
        EXPECT_EQ(byTag->status, 304);
        EXPECT_TRUE(byTag->body.empty());
        EXPECT_EQ(get(path, { { "If-Modified-Since", modified } })->status, 304);
        EXPECT_EQ(get(path, { { "If-None-Match", "\"otra-etiqueta\"" } })->status, 200);
        EXPECT_EQ(get(path, { { "If-Modified-Since", "Thu, 01 Jan 1998 00:00:00 GMT" } })->status, 200);
    }

    // A new headline changes the news document, so its old tag no longer matches.
    const httplib::Result before = get("/xml/sections_news.xml");
    ASSERT_EQ(control("publish?key=1&title=Nueva").status, 200);
    EXPECT_EQ(
        get("/xml/sections_news.xml", { { "If-None-Match", before->get_header_value("ETag") } })->status,
        200);
}

TEST_F(PublisherTest, GzipOnlyWhenTheClientAcceptsIt)
{
    struct Case {
        std::string path;
        std::string acceptEncoding;
        bool gzip;
    };
    const Case cases[] = {
        { "/xml/sections_news.xml", "gzip", true },
        { "/xml/sections_news.xml", "deflate, gzip;q=0.5", true },
        { "/xml/sections_news.xml", "gzip;q=0", false },
        { "/xml/sections_news.xml", "", false },
        { "/clientconfig.xml", "br, gzip", true },
        { "/images/tavrin_icon.png", "gzip", false },
        { "/monitor.txt", "gzip", false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path + " / " + c.acceptEncoding);
        httplib::Headers headers;
        if (!c.acceptEncoding.empty())
            headers.emplace("Accept-Encoding", c.acceptEncoding);
        const httplib::Result packed = get(c.path, headers);
        const httplib::Result plain = get(c.path);
        ASSERT_TRUE(packed && plain);
        EXPECT_EQ(packed->get_header_value("Content-Encoding") == "gzip", c.gzip);
        const QByteArray body = QByteArray::fromStdString(packed->body);
        EXPECT_EQ(c.gzip ? ReadGzipText(body) : body, QByteArray::fromStdString(plain->body));
        if (c.gzip) {
            EXPECT_LT(body.size(), plain->body.size());
        }
    }
    // The client's own reader gets the same document either way.
    EXPECT_TRUE(
        newsIds(FetchCompressedText(publisher().url(QStringLiteral("xml/sections_news.xml")), true, nullptr))
            .size()
        > 10);
}

TEST_F(PublisherTest, RequestLogCountsTheBytesSent)
{
    ASSERT_EQ(control("log?clear=1").status, 200);
    const httplib::Result packed = get("/xml/sections_news.xml", { { "Accept-Encoding", "gzip" } });
    const httplib::Result unchanged
        = get("/css/diario.css", { { "If-None-Match", get("/css/diario.css")->get_header_value("ETag") } });
    ASSERT_TRUE(packed && unchanged);
    ASSERT_EQ(unchanged->status, 304);

    // The server logs a request just after answering it.
    std::string log;
    EXPECT_TRUE(tavrin::test::waitUntil([&] {
        log = control("log").body;
        return log.find("total requests=3 ") != std::string::npos;
    }));
    const std::string packedLine = "GET /xml/sections_news.xml 200 headers=";
    const std::size_t at = log.find(packedLine);
    ASSERT_NE(at, std::string::npos) << log;
    const std::string line = log.substr(at, log.find('\n', at) - at);
    EXPECT_NE(line.find(" body=" + std::to_string(packed->body.size()) + " gzip"), std::string::npos) << line;
    EXPECT_NE(log.find("GET /css/diario.css 304 headers="), std::string::npos) << log;
    EXPECT_NE(log.find("body=0\n"), std::string::npos);
    EXPECT_EQ(log.find("/_control/"), std::string::npos);
    EXPECT_NE(log.find("total requests=3 "), std::string::npos) << log;

    QFile file(publisher().logPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(QByteArray::fromStdString(line)));
}

TEST_F(PublisherTest, UrgentStripFollowsTheControl)
{
    const QString address = publisher().url(QStringLiteral("urgente.html"));
    EXPECT_TRUE(QString::fromUtf8(FetchText(address, true, nullptr))
                    .contains(QLatin1String("tavrin://navigate_explorer_news/?url=")));
    ASSERT_EQ(control("urgent?text=Se%20suspende%20el%20pleno").status, 200);
    EXPECT_TRUE(FetchText(address, true, nullptr).contains("Se suspende el pleno"));
    ASSERT_EQ(control("urgent?text=").status, 200);
    EXPECT_TRUE(FetchText(address, true, nullptr).contains("<body></body>"));
}

TEST_F(PublisherTest, OfferedInstallerOnlyWritesItsMarker)
{
    const ClientConfig config = loadServedConfig();
    QByteArray script;
    ASSERT_TRUE(FetchBytes(config.app_url, script, true, nullptr));
    ASSERT_TRUE(script.startsWith("#!/bin/sh"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("instalador"));
    ASSERT_TRUE(tavrin::test::writeFile(path, script));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(publisher().markerPath());

    QProcess installer;
    installer.start(path, {});
    ASSERT_TRUE(installer.waitForFinished(10000));
    EXPECT_EQ(installer.exitCode(), 0);
    QFile marker(publisher().markerPath());
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_TRUE(marker.readAll().contains(kOfferedVersion.toUtf8()));

    ASSERT_EQ(control("version?offer=2.0").status, 200);
    ClientConfig changed;
    ASSERT_TRUE(LoadConfigurationText(FetchText(config.url, true, nullptr), changed));
    EXPECT_EQ(changed.app_version, QStringLiteral("2.0"));
}
