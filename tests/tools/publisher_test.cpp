// The demo publisher run as a program, checked for what a demo relies on: documents, headlines, misbehaviour.
#include "base/files.h"
#include "base/gzip.h"
#include "config/configloader.h"
#include "config/selection.h"
#include "support/toolcases.h"
#include "support/waituntil.h"

#include <QSet>

#include <future>

using namespace tavrin;
using namespace Qt::StringLiterals;

namespace {

class PublisherTest : public test::DemoPublisherTest { };

} // namespace

TEST_F(PublisherTest, InstalledConfigurationIsTheServedOneForTheDefaultPort)
{
    const QByteArray file = test::readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/clientconfig.xml"));
    QProcess print;
    print.start(QStringLiteral(TAVRIN_BINARY_DIR "/tools/tavrin-publisher"), { u"--print-config"_s });
    ASSERT_TRUE(print.waitForFinished(10000));
    EXPECT_EQ(print.readAllStandardOutput(), file)
        << "res/clientconfig.xml is stale: run tavrin-publisher --print-config > res/clientconfig.xml";
    ClientConfig config;
    EXPECT_TRUE(LoadConfigurationText(file, config)
                && config.url == u"http://127.0.0.1:8642/clientconfig.xml"_s);
    // The running publisher serves it with its own address and offered version, and offers another on
    // request.
    QByteArray served = file;
    served.replace("http://127.0.0.1:8642/", base.toUtf8())
        .replace("\"1.0.0.10\"", '"' + kOfferedVersion.toUtf8() + '"');
    EXPECT_EQ(body("/clientconfig.xml"), served);
    ASSERT_EQ(control("version?offer=2.0"), 200);
    EXPECT_TRUE(LoadConfigurationText(body("/clientconfig.xml"), config) && config.app_version == u"2.0");
}

TEST_F(PublisherTest, ConfigurationNamesWhatIsServedAndTheOfferedInstaller)
{
    EXPECT_TRUE(checked("/clientconfig.xml", "check-config", "accepted").isEmpty());
    ClientConfig config;
    ASSERT_TRUE(LoadConfigurationText(body("/clientconfig.xml"), config));
    EXPECT_TRUE(config.url == base + u"clientconfig.xml"_s && config.app_version == kOfferedVersion);
    const QString page
        = QString(config.sections_html_url).replace(u"@SECTION@/@SUBSECTIONS@"_s, u"2/21,22"_s);
    for (const QString &address : { config.monitoring_url, config.urgent_url, config.loading_url, page })
        EXPECT_FALSE(body(pathOf(address)).isEmpty()) << address.toStdString();
    // The tray's icons are there, and every image has the checksum the configuration gives.
    EXPECT_TRUE(config.images.contains(u"tavrin_icon"_s) && config.images.contains(u"tavrin_taskbar_icon"_s)
                && config.images.contains(u"tavrin_taskbar_disabled_icon"_s));
    for (const auto &[id, image] : config.images)
        EXPECT_EQ(BufferCrc32(body(pathOf(image.url))), image.crc32) << id.toStdString();
    // The offered installer runs and writes its marker.
    const QString script = test::PrivateFoldersListener::root() + u"/instalador"_s;
    ASSERT_TRUE(test::writeFile(script, body(pathOf(config.app_url))));
    ASSERT_TRUE(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
    QProcess installer;
    installer.start(script, {});
    ASSERT_TRUE(installer.waitForFinished(10000));
    EXPECT_EQ(installer.exitCode(), 0);
    EXPECT_TRUE(test::readFile(marker).contains(kOfferedVersion.toUtf8()) && QFile::remove(marker));
}

TEST_F(PublisherTest, NewsDocumentsPassTheCheckerFeedsRegisterAndHeadlinesKeepComing)
{
    // Registration: the same identifier for an address registered before, a new one for another, an error for
    // other schemes.
    const auto answer
        = [](const char *address) { return body("/otros-medios/alta?url=" + std::string(address)); };
    const QByteArray first = answer("https://e.org/a"), other = answer("http://e.org/a");
    EXPECT_TRUE(first.contains("<add_user_rss_result id=") && answer("https://e.org/a") == first
                && other.contains("<add_user_rss_result id=") && other != first);
    EXPECT_TRUE(answer("ftp://e.org/a").contains("<error>") && answer("e.org/a").contains("<error>"));
    const QString id = QRegularExpression(u"id=\"(\\w+)\""_s).match(QString::fromUtf8(first)).captured(1);

    // Documents with at least this many records (0: none), each with an address and under this key or, when
    // none is given, a key the configuration knows, so that the client can tell whether its section is
    // selected.
    ClientConfig config;
    ASSERT_TRUE(LoadConfigurationText(body("/clientconfig.xml"), config));
    const std::optional<Section> feeds = config.FindUserFeedSection();
    ASSERT_TRUE(feeds.has_value());
    const auto feed = [&](const QString &id) {
        return pathOf(QString(feeds->user_rss_xml_url).replace(u"@SUBSECTION@"_s, id));
    };
    const QString key = feeds->id + u'_', unknown = u"m0a1b2c3d"_s; // identifiers survive restarts
    const std::tuple<std::string, int, QString> cases[] = { { pathOf(config.sections_xml_url), 11, {} },
                                                            { "/xml/seccion/5.xml", 1, {} },
                                                            { pathOf(feeds->xml_url), 0, {} },
                                                            { feed(id), 1, key + id },
                                                            { feed(unknown), 1, key + unknown } };
    for (const auto &[path, least, only] : cases) {
        SCOPED_TRACE(path);
        const QList<QByteArray> records
            = checked(path, "check-news", "read"); // key, id, time, title, address
        EXPECT_TRUE(least ? records.size() >= least : records.isEmpty()) << records.size();
        QSet<QByteArray> times; // one record per second at most: the client keeps one per time value
        for (const QByteArray &record : records) {
            const QList<QByteArray> field = record.split('\t');
            const QString recordKey = QString::fromUtf8(field[0]);
            times.insert(field.value(2));
            EXPECT_TRUE((only.isEmpty()
                             ? !KeyDisplayName(config, recordKey).isEmpty() || recordKey.startsWith(key)
                             : recordKey == only)
                        && field.value(4).startsWith("http"))
                << record.toStdString();
        }
        EXPECT_EQ(times.size(), records.size());
    }

    // New headlines keep coming; a published one is there at once.
    const auto news = [] {
        const QList<QByteArray> lines = checked("/xml/sections_news.xml", "check-news", "read");
        return QSet<QByteArray>(lines.begin(), lines.end());
    };
    const QSet<QByteArray> before = news();
    EXPECT_TRUE(test::waitUntil([&] { return !(news() - before).isEmpty(); }, 8000));
    const httplib::Result published = get("/_control/publish?key=2_21&title=Titular%20de%20prueba");
    ASSERT_EQ(status(published), 200);
    const QByteArray start = "2_21\t" + QByteArray::fromStdString(published->body).trimmed() + '\t';
    const QSet<QByteArray> after = news();
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [&](const QByteArray &r) {
        return r.startsWith(start) && r.contains("\tTitular de prueba\t");
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
        { "silent?path=/monitor.txt", "/urgente.html", 200, "", "" },
        { "silent?path=*", "/urgente.html", -1, "", "reset" },
        { "proxy_auth?user=lector&password=clave", "/monitor.txt", 407, "", "proxy_auth" },
        { "broken_config?kind=malformed", "/clientconfig.xml", 200, "", "broken_config?kind=off" },
        { "broken_config?kind=invalid", "/clientconfig.xml", 200, "", "broken_config?kind=off" },
        { "urgent?text=", "/urgente.html", 200, "<body></body>", "reset" }, // the client hides the strip
        { "urgent?text=Pleno%20suspendido", "/urgente.html", 200, "Pleno suspendido", "urgent" },
    };
    for (const auto &[set, path, code, holds, undo] : cases) {
        SCOPED_TRACE(set + " " + path);
        ASSERT_EQ(control(set), 200);
        std::future<httplib::Result> request
            = std::async(std::launch::async, [path = path] { return get(path); });
        const bool held = request.wait_for(std::chrono::milliseconds(code == -1 ? 500 : 10000))
            != std::future_status::ready;
        EXPECT_EQ(held, code == -1);
        // The controls answer while a request is held.
        ASSERT_TRUE(undo.empty() || control(undo) == 200);
        const httplib::Result result = request.get();
        EXPECT_TRUE(status(result) == (held ? 200 : code) && body(result).contains(holds)) << status(result);
        ClientConfig config; // a broken configuration fails the loader until undone
        EXPECT_TRUE(
            path != "/clientconfig.xml"
            || (!LoadConfigurationText(body(result), config) && LoadConfigurationText(body(path), config)));
        EXPECT_TRUE(undo.empty() || status(get(path)) == 200);
        ASSERT_EQ(control("reset"), 200);
    }

    // Requests the client sends through the publisher as its proxy pass with the right credentials.
    ASSERT_EQ(control("proxy_auth?user=lector&password=clave%20secreta"), 200);
    EXPECT_EQ(get("/monitor.txt")->get_header_value("Proxy-Authenticate"), "Basic realm=\"Belmoreta proxy\"");
    httplib::Client viaProxy("127.0.0.1", port);
    viaProxy.set_proxy("127.0.0.1", port);
    viaProxy.set_proxy_basic_auth("lector", "otra");
    EXPECT_EQ(status(viaProxy.Get("/monitor.txt")), 407);
    viaProxy.set_proxy_basic_auth("lector", "clave secreta");
    EXPECT_EQ(status(viaProxy.Get("/monitor.txt")), 200);
}

TEST_F(PublisherTest, ConditionalRequestsAndGzipWhenTheClientAcceptsIt)
{
    // Gzip when the client accepts it, for text of 256 bytes or more.
    for (const auto &[path, gzip] :
         { std::pair { "/clientconfig.xml", true }, { "/images/tavrin_icon.png", false } }) {
        const httplib::Result packed = get(path, { { "Accept-Encoding", "br, gzip" } });
        const QByteArray sent = body(packed), plain = body(path);
        EXPECT_EQ(packed->get_header_value("Content-Encoding") == "gzip", gzip) << path;
        EXPECT_TRUE(!plain.isEmpty() && (gzip ? ReadGzipText(sent) : sent) == plain) << path;
        // Asked again with what the answer carried: unchanged, 304; changed since, the document.
        for (const auto &[header, value, code] :
             { std::tuple { "If-None-Match", packed->get_header_value("ETag"), 304 },
               { "If-Modified-Since", packed->get_header_value("Last-Modified"), 304 },
               { "If-Modified-Since", "Thu, 01 Jan 1998 00:00:00 GMT", 200 } })
            EXPECT_EQ(status(get(path, { { header, value } })), code)
                << path << " " << header << ": " << value;
    }
    // A new headline changes the news document, so its old tag no longer matches.
    const std::string tag = get("/xml/sections_news.xml")->get_header_value("ETag");
    ASSERT_EQ(control("publish?key=1&title=Nueva"), 200);
    EXPECT_EQ(status(get("/xml/sections_news.xml", { { "If-None-Match", tag } })), 200);
}
