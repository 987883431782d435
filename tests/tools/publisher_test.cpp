// The demo publisher run as a program, checked for what a demo relies on: documents, headlines, misbehaviour.
#include "base/files.h"
#include "base/gzip.h"
#include "config/configloader.h"
#include "config/selection.h"
#include "support/privatefolders.h"
#include "support/publisherprocess.h"
#include "support/testfiles.h"
#include "support/waituntil.h"

#include <QSet>
#include <QUrl>

#include <future>

using namespace tavrin;
using namespace tavrin::test;
using namespace Qt::StringLiterals;

namespace {

// One demo publisher for the whole suite, with a new headline every second and an installer of
// kOfferedVersion; its controls are reset before each test.
class PublisherTest : public testing::Test {
protected:
    static inline const QString kOfferedVersion = QStringLiteral("1.0.0.11");
    static inline const QString marker = QStringLiteral(TAVRIN_BINARY_DIR "/tests/publisher-installer-ran");
    static inline std::unique_ptr<PublisherProcess> server;
    static void SetUpTestSuite()
    {
        server = std::make_unique<PublisherProcess>(QStringList {
            "--news-every", "1", "--offer-version", kOfferedVersion, "--installer-marker", marker });
    }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override { ASSERT_TRUE(server->control("reset")) << "the publisher did not start"; }

    // A GET of a site path, not decoded.
    static httplib::Result get(const std::string &path, const httplib::Headers &headers = {})
    {
        httplib::Client http("127.0.0.1", server->port);
        http.set_decompress(false);
        return http.Get(path, headers);
    }
    static int status(const httplib::Result &r) { return r ? r->status : -1; }
    static QByteArray body(const httplib::Result &r)
    {
        return QByteArray::fromStdString(status(r) == 200 ? r->body : "");
    }
    static QByteArray body(const std::string &path) { return body(get(path)); }
    static std::string pathOf(const QString &address) { return QUrl(address).path().toStdString(); }
    // The records check-news lists (key, id, time, title, address) in a served document as the client's own
    // downloader receives it (gzip where offered).
    static QList<QByteArray> records(const std::string &path)
    {
        const ToolRun fetched = runTool({ "fetch", "--compressed", server->base + &path[1] });
        const QString file = PrivateFoldersListener::root() + QStringLiteral("/document.xml");
        EXPECT_TRUE(fetched.exitCode == 0 && writeFile(file, fetched.out)) << fetched.err.toStdString();
        const ToolRun run = runTool({ "check-news", file });
        QList<QByteArray> lines = run.out.trimmed().split('\n');
        EXPECT_TRUE(run.exitCode == 0 && lines.takeLast() == "read") << run.out.toStdString();
        return lines;
    }
};

} // namespace

TEST_F(PublisherTest, ServesTheInstalledConfigurationAsARealServerAndTheOfferedInstaller)
{
    // res/clientconfig.xml is what it prints for the default port; running, it serves that with its address.
    const QByteArray file = readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml"));
    QProcess print;
    print.start(QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-publisher"), { u"--print-config"_s });
    ASSERT_TRUE(print.waitForFinished(10000));
    EXPECT_EQ(print.readAllStandardOutput(), file)
        << "res/clientconfig.xml is stale: run tavrin-publisher --print-config > res/clientconfig.xml";
    QByteArray served = file;
    served.replace("http://127.0.0.1:8642/", server->base.toUtf8())
        .replace("\"1.0.0.10\"", '"' + kOfferedVersion.toUtf8() + '"');
    EXPECT_EQ(body("/clientconfig.xml"), served);
    ClientConfig config; // it offers the tray's icons; check-site finds all it names there, checksums right
    ASSERT_TRUE(LoadConfigurationText(served, config));
    EXPECT_TRUE(config.images.contains(u"tavrin_icon"_s) && config.images.contains(u"tavrin_taskbar_icon"_s)
                && config.images.contains(u"tavrin_taskbar_disabled_icon"_s));

    // As a real server sends it: gzip when the client accepts it, for text of 256 bytes or more.
    for (const auto &[path, gzip] :
         { std::pair { "/clientconfig.xml", true }, { "/images/tavrin_icon.png", false } }) {
        const httplib::Result packed = get(path, { { "Accept-Encoding", "br, gzip" } });
        const QByteArray sent = body(packed), plain = body(path);
        EXPECT_EQ(packed->get_header_value("Content-Encoding") == "gzip", gzip) << path;
        EXPECT_TRUE(!plain.isEmpty() && (gzip ? ReadGzipText(sent) : sent) == plain) << path;
        // Asked again with what the answer carried: unchanged, 304; changed since, the document.
        // A 304 names the validator again and no other metadata: the cache keeps what the 200 carried.
        for (const auto &[header, value, code] :
             { std::tuple { "If-None-Match", packed->get_header_value("ETag"), 304 },
               { "If-Modified-Since", packed->get_header_value("Last-Modified"), 304 },
               { "If-Modified-Since", "Thu, 01 Jan 1998 00:00:00 GMT", 200 } }) {
            const httplib::Result again = get(path, { { "Accept-Encoding", "br, gzip" }, { header, value } });
            EXPECT_EQ(status(again), code) << path << " " << header << ": " << value;
            EXPECT_TRUE(again && again->get_header_value("ETag") == packed->get_header_value("ETag")
                        && again->has_header("Last-Modified") == (code == 200))
                << path << " " << header << ": " << value;
        }
    }

    // The offered installer runs and writes its marker; another version is offered on request.
    const QString script = PrivateFoldersListener::root() + u"/instalador"_s;
    ASSERT_TRUE(writeFile(script, body(pathOf(config.app_url))));
    ASSERT_TRUE(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(QProcess::execute(script, {}), 0);
    EXPECT_TRUE(readFile(marker).contains(kOfferedVersion.toUtf8()) && QFile::remove(marker));
    ASSERT_TRUE(server->control("version?offer=2.0"));
    EXPECT_TRUE(LoadConfigurationText(body("/clientconfig.xml"), config) && config.app_version == u"2.0");
}

TEST_F(PublisherTest, NewsDocumentsPassTheCheckerFeedsRegisterAndHeadlinesKeepComing)
{
    // Registration: one identifier per address, the same each time; an error for other schemes.
    const auto answer = [](const std::string &address) { return body("/otros-medios/alta?url=" + address); };
    const QByteArray first = answer("https://e.org/a"), other = answer("http://e.org/a");
    EXPECT_TRUE(first.contains("<add_user_rss_result id=") && answer("https://e.org/a") == first
                && other.contains("<add_user_rss_result id=") && other != first);
    EXPECT_TRUE(answer("ftp://e.org/a").contains("<error>") && answer("e.org/a").contains("<error>"));

    // Documents with at least this many records (0: none), each with an address and under this key or else
    // one the configuration names, so that the client can tell whether its section is selected.
    ClientConfig config;
    ASSERT_TRUE(LoadConfigurationText(body("/clientconfig.xml"), config));
    const Section feeds = config.FindUserFeedSection().value_or(Section());
    // A feed's document is there for any identifier, also one registered before a restart.
    const QString key = feeds.id + u'_', unknown = u"m0a1b2c3d"_s;
    const std::tuple<std::string, int, QString> cases[] = {
        { pathOf(config.sections_xml_url), 11, {} },
        { "/xml/seccion/5.xml", 1, {} },
        { pathOf(feeds.xml_url), 0, {} },
        { pathOf(QString(feeds.user_rss_xml_url).replace(u"@SUBSECTION@"_s, unknown)), 1, key + unknown },
    };
    for (const auto &[path, least, only] : cases) {
        SCOPED_TRACE(path);
        const QList<QByteArray> found = records(path);
        QSet<QByteArray> times; // one record per second at most: the client keeps one per time value
        for (const QByteArray &record : found) {
            const QList<QByteArray> field = record.split('\t');
            const QString k = QString::fromUtf8(field[0]);
            times.insert(field.value(2));
            EXPECT_TRUE((only.isEmpty() ? !KeyDisplayName(config, k).isEmpty() : k == only)
                        && field.value(4).startsWith("http"))
                << record.toStdString();
        }
        EXPECT_TRUE((least ? found.size() >= least : found.isEmpty()) && times.size() == found.size())
            << found.size();
    }

    // New headlines keep coming. A published one is there at once, also for a client holding the document
    // before it (the downloader asks with its cached tag: a headline changes the tag).
    const auto news = [] { return records("/xml/sections_news.xml"); };
    const auto has = [&](const auto &wanted) { return std::ranges::any_of(news(), wanted); };
    const QList<QByteArray> before = news();
    EXPECT_TRUE(
        waitUntil([&] { return has([&](const QByteArray &r) { return !before.contains(r); }); }, 8000));
    const QByteArray id = body("/_control/publish?key=2_21&title=Titular%20de%20prueba").trimmed();
    EXPECT_TRUE(!id.isEmpty() && has([&](const QByteArray &r) {
        return r.startsWith("2_21\t" + id + '\t') && r.contains("\tTitular de prueba\t");
    }));
}

TEST_F(PublisherTest, EachMisbehaviourHasItsEffectUntilUndone)
{
    // A control, a path, the status it then answers (-1: held, no answer within half a second), text the body
    // holds, and the control after which the path answers 200 again (a held request too).
    const std::tuple<std::string, std::string, int, const char *, std::string> cases[] = {
        { "offline?on=1", "/monitor.txt", 503, "", "offline?on=0" },
        { "offline?on=1", "/xml/sections_news.xml", 200, "<sections_news", "" },
        { "offline?on=1&all=1", "/xml/sections_news.xml", 503, "", "reset" },
        { "status?path=/xml/*&code=503", "/xml/seccion/5.xml", 503, "", "status?path=/xml/*&code=0" },
        { "status?path=/xml/*&code=503", "/monitor.txt", 200, "OK", "" },
        { "delay?path=/monitor.txt&ms=600000", "/monitor.txt", -1, "", "reset" },
        { "silent?path=/monitor.txt", "/monitor.txt", -1, "", "silent?path=/monitor.txt&on=0" },
        { "silent?path=*", "/urgente.html", -1, "", "reset" },
        { "trickle?path=/monitor.txt&bps=1&endless=1", "/monitor.txt", -1, "OK",
          "reset" }, // the rest at once
        { "proxy_auth?user=lector&password=clave", "/monitor.txt", 407, "", "proxy_auth" },
        { "broken_config?kind=invalid", "/clientconfig.xml", 200, "", "broken_config?kind=off" },
        { "urgent?text=", "/urgente.html", 200, "<body></body>", "reset" }, // the client hides the strip
        { "urgent?text=Pleno%20suspendido", "/urgente.html", 200, "Pleno suspendido", "urgent" },
    };
    for (const auto &[set, path, code, holds, undo] : cases) {
        SCOPED_TRACE(set + " " + path);
        ASSERT_TRUE(server->control("reset") && server->control(set));
        auto request = std::async(std::launch::async, [path = path] { return get(path); });
        const bool held = request.wait_for(std::chrono::milliseconds(code == -1 ? 500 : 10000))
            != std::future_status::ready;
        EXPECT_EQ(held, code == -1);
        // The controls answer while a request is held.
        ASSERT_TRUE(undo.empty() || server->control(undo));
        const httplib::Result result = request.get();
        EXPECT_TRUE(status(result) == (held ? 200 : code) && body(result).contains(holds)) << status(result);
        ClientConfig config; // a broken configuration fails the loader until undone
        EXPECT_TRUE(
            path != "/clientconfig.xml"
            || (!LoadConfigurationText(body(result), config) && LoadConfigurationText(body(path), config)));
        EXPECT_TRUE(undo.empty() || status(get(path)) == 200);
    }

    // Requests the client sends through the publisher as its proxy pass with the right credentials.
    ASSERT_TRUE(server->control("proxy_auth?user=lector&password=clave%20secreta"));
    EXPECT_EQ(get("/monitor.txt")->get_header_value("Proxy-Authenticate"), "Basic realm=\"Belmoreta proxy\"");
    httplib::Client viaProxy("127.0.0.1", server->port);
    viaProxy.set_proxy("127.0.0.1", server->port);
    viaProxy.set_proxy_basic_auth("lector", "otra");
    EXPECT_EQ(status(viaProxy.Get("/monitor.txt")), 407);
    viaProxy.set_proxy_basic_auth("lector", "clave secreta");
    EXPECT_EQ(status(viaProxy.Get("/monitor.txt")), 200);
}
