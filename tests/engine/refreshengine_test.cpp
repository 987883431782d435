// The refresh engine against a loopback publisher: start-up phases, configuration and version updates,
// the periodic cycle and its messages, and how fast exit ends every wait.
#include "base/files.h"
#include "base/paths.h"
#include "base/stopevent.h"
#include "config/configloader.h"
#include "engine/refreshengine.h"
#include "settings/settings.h"
#include "support/messagerecorder.h"
#include "support/newsdocs.h"
#include "support/services.h"
#include "support/testfiles.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QDir>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <tuple>

namespace tavrin {
namespace {

using test::readFile;
using test::waitUntil;
using Messages = std::vector<MessageId>;

// A sections_news document with one news item per id in the "portada" section, each a minute apart.
std::string newsDocument(const std::vector<std::string> &ids)
{
    std::string items;
    for (size_t i = 0; i < ids.size(); ++i)
        items += test::newsItem(ids[i], int(i));
    return test::newsDocument(test::newsSection("portada", items));
}

class RefreshEngineTest : public testing::Test {
protected:
    const QByteArray icon = QByteArrayLiteral("\x89PNG icon bytes");
    const QByteArray logo = QByteArrayLiteral("GIF89a logo bytes");

    void SetUp() override
    {
        serveContent();
        publish(60, "1.0.0.11");
        install(300);
    }
    void TearDown() override { stopEngine(); }

    // A connection, intact images and empty news documents.
    void serveContent()
    {
        server.serve("/ok.txt", "OK");
        server.serve("/img/icon.png", icon.toStdString());
        server.serve("/img/logo.gif", logo.toStdString());
        server.serve("/news.xml", newsDocument({}));
        server.serve("/otros.xml", newsDocument({}));
    }

    // The good fixture pointed at this server, with our images' checksums, a period and a version.
    QByteArray configDocument(int period, const char *version, const char *fixtureName = "good")
    {
        QByteArray doc = test::fixtureBytes("config", fixtureName);
        EXPECT_TRUE(doc.contains("http://127.0.0.1:8642")) << fixtureName;
        doc.replace("http://127.0.0.1:8642", QByteArray::fromStdString(server.baseUrl()));
        doc.replace("crc32=\"3735928559\"", "crc32=\"" + QByteArray::number(BufferCrc32(icon)) + '"');
        doc.replace("crc32=\"12\"", "crc32=\"" + QByteArray::number(BufferCrc32(logo)) + '"');
        doc.replace("max_news_per_show=\"3\" reload=\"300\"",
                    "max_news_per_show=\"3\" reload=\"" + QByteArray::number(period) + '"');
        return doc.replace("version=\"1.0.0.11\"", QByteArray("version=\"") + version + '"');
    }
    // What the server offers as the configuration document.
    void publish(int period, const char *version)
    {
        server.serve("/clientconfig.xml", configDocument(period, version).toStdString());
    }
    // What start-up loaded before the engine runs (our own version).
    void install(int period)
    {
        ClientConfig config;
        ASSERT_TRUE(LoadConfigurationText(configDocument(period, "1.0.0.10"), config));
        ASSERT_EQ(config.alerts_reload, period);
        config.app_url = QStringLiteral("http://installed.example/setup");
        services.config.replace(std::move(config));
    }

    QString cachedConfigPath() const { return DataFolder() + QStringLiteral("clientconfig.xml"); }
    int newsFetches() const { return server.hits("/news.xml"); }
    int probes() const { return server.hits("/ok.txt"); }

    void startEngine()
    {
        stop.reset();
        finished = false;
        window.seen.clear();
        engine = std::thread([this] {
            RefreshThreadMain(services.core(),
                              std::make_unique<RefreshStart>(RefreshStart { &window, &stop }));
            finished = true;
        });
    }
    void stopEngine()
    {
        if (!engine.joinable())
            return;
        stop.set();
        engine.join();
        window.drain();
    }
    // Waits for a condition, then delivers whatever the engine posted before it became true.
    template <typename Predicate> bool waitFor(Predicate predicate)
    {
        const bool ok = waitUntil(predicate, 15000);
        window.drain();
        return ok;
    }
    // Signals exit and waits for the thread to end, for less time than the waits that exit must cut short.
    bool stopsAtOnce()
    {
        stop.set();
        const bool ended = waitFor([&] { return finished.load(); });
        stopEngine();
        return ended;
    }

    test::TestServer server; // outlives the session, which closes its kept-alive connections first
    // Every reading of the time is 3 seconds after the last, so each test of the connection reaches the
    // monitoring address (and is counted there); a second of the program's waits lasts 100 µs.
    test::TestServices<test::FastClock> services { 100, 3 };
    test::MessageRecorder window; // the main window
    StopEvent stop;
    std::thread engine;
    std::atomic<bool> finished { false };
    std::vector<std::shared_ptr<const ClientConfig>> seen; // the live configuration as each message arrived
};

TEST(IsNewerVersion, ComparesPiecesAsNumbers)
{
    // Pieces are numbers, not text; one that is no number reads as 0, one that starts with digits as them;
    // pieces beyond the shorter version are never compared.
    const std::tuple<const char *, const char *, bool> cases[] = {
        { "1.0.0.11", "1.0.0.10", true },
        { "1.0.0.10.1", "1.0.0.10", false },
        { "1.0.0.10", "1.0.0.10.1", false },
        { "2", "1.9.9.9", true },
        { "1.0.0.9", "1.0.0.10", false },
        { "1.0.0.10", "1.0.0.10", false },
        { "1.1", "1.0.9", true },
        { "0.9", "1.0", false },
        { "1.x.5", "1.0.4", true },
        { "1.0.5", "1.beta.4", true },
        { "abc", "0", false },
        { "1.2a", "1.1", true },
        { "", "1.0.0.10", false },
        { "1.0.0.11", "", false },
    };
    for (const auto &[remote, own, newer] : cases) {
        SCOPED_TRACE(testing::Message() << remote << " vs " << own);
        EXPECT_EQ(IsNewerVersion(QString::fromUtf8(remote), QString::fromUtf8(own)), newer);
    }
}

TEST_F(RefreshEngineTest, UpdateConfigurationAppliesAndStoresOnlyValidDocumentsWhole)
{
    const QByteArray good = configDocument(45, "1.0.0.10");
    const QByteArray latin1 = configDocument(45, "1.0.0.10", "latin1_encoding");
    ASSERT_NE(latin1.indexOf('\xf3'), -1) << "the fixture holds ISO-8859-1 bytes";
    // A settings store larger than the document, for a disk that takes the document but not the store.
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("feed%1").arg(i),
                                        QString(900, QLatin1Char('x')), kOtherMediaKeyPath));
    ASSERT_GT(QFileInfo(SettingsFilePath()).size(), good.size() + 2048);
    struct Case {
        const char *name;
        QByteArray body;
        int status;
        bool gzip;
        bool fullDisk; // files a little larger than the document cannot be written
        QString firstSection; // empty: the document is rejected
    };
    const Case cases[] = {
        { "the path cannot be stored", good, 200, false, true, {} },
        { "good document", good, 200, false, false, QStringLiteral("Portada") },
        { "bytes stay ISO-8859-1", latin1, 200, false, false, QStringLiteral("Sección España") },
        { "gzip file", good, 200, true, false, QStringLiteral("Portada") },
        { "malformed", test::fixtureBytes("config", "malformed"), 200, false, false, {} },
        { "fails validation", configDocument(45, "1.0.0.10", "alerts_reload_zero"), 200, false, false, {} },
        { "error status", good, 404, false, false, {} },
        { "empty body", QByteArray(), 200, false, false, {} },
    };
    const QByteArray previousBytes = "<previous cached document/>";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        install(300);
        // With a full disk the stored path names the cached file itself: that file must stay as it was.
        const QString previousPath
            = c.fullDisk ? cachedConfigPath() : QStringLiteral("/opt/tavrin/clientconfig.xml");
        ASSERT_TRUE(SetConfigurationPath(previousPath));
        ASSERT_TRUE(test::writeFile(cachedConfigPath(), previousBytes));
        if (c.gzip)
            server.gzipFile("/clientconfig.xml", c.body.toStdString());
        else
            server.serve("/clientconfig.xml", c.body.toStdString(), c.status);
        const auto before = services.config.snapshot();
        {
            std::optional<test::FileSizeLimit> limit;
            if (c.fullDisk && !limit.emplace(rlim_t(good.size() + 1024)).ok())
                FAIL() << "cannot limit file sizes";
            UpdateConfiguration(services.core());
        }
        const auto after = services.config.snapshot();
        EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files),
                  QStringList { QStringLiteral("clientconfig.xml") })
            << "no partial files are left behind";
        const bool accepted = !c.firstSection.isEmpty();
        EXPECT_EQ(after != before, accepted);
        EXPECT_EQ(readFile(cachedConfigPath()), accepted ? c.body : previousBytes);
        EXPECT_EQ(GetConfigurationPath(), accepted ? cachedConfigPath() : previousPath);
        if (accepted) {
            ASSERT_FALSE(after->sections.isEmpty());
            EXPECT_EQ(after->sections.first().name, c.firstSection);
            EXPECT_EQ(after->alerts_reload, 45);
        }
    }
}

TEST_F(RefreshEngineTest, StartupRetriesEachPhaseUntilContentIsReadyThenChecksTheVersion)
{
    struct Case {
        const char *name;
        const char *version; // announced to the version check; null: it reads a malformed document
        bool newer;
        std::string path = {}; // served broken until the engine has tried it a few times
        std::string broken = {}; // empty: 404
    };
    const Case cases[] = {
        { "newer version", "1.0.0.11", true },
        { "much newer version", "2", true },
        { "same version", "1.0.0.10", false },
        { "extra version piece", "1.0.0.10.1", false },
        { "older version", "1.0.0.9", false },
        { "malformed version document", nullptr, false },
        { "offline at start", "1.0.0.10", false, "/ok.txt", "down" },
        { "image whose checksum never matches", "1.0.0.10", false, "/img/logo.gif", "GIF89a damaged" },
        { "missing news document", "1.0.0.10", false, "/news.xml", "" },
        { "news document with the wrong root", "1.0.0.10", false, "/news.xml", "<news/>" },
    };
    window.onMessage = [this](const AppMessage &) { seen.push_back(services.config.snapshot()); };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        install(300);
        serveContent();
        seen.clear();
        QDir(DataFolder() + QStringLiteral("images")).removeRecursively();
        // The version check reads a later edition than the configuration step did, with another period
        // and installer address. The period is so long that no cycle runs.
        const QByteArray first = configDocument(1000000, "1.0.0.10");
        const QByteArray later = c.version
            ? configDocument(2000000, c.version).replace("/tavrin-setup", "/tavrin-setup-later")
            : "<clientconfig><unclosed></clientconfig>";
        auto fetches = std::make_shared<std::atomic<int>>(0);
        server.route("/clientconfig.xml",
                     [fetches, first = first.toStdString(),
                      later = later.toStdString()](const httplib::Request &, httplib::Response &response) {
                         response.set_content(fetches->fetch_add(1) == 0 ? first : later, "text/xml");
                     });
        const bool offline = c.path == "/ok.txt";
        if (!c.path.empty())
            server.serve(c.path, c.broken, c.broken.empty() ? 404 : 200);
        const int hitsBefore = server.hits(c.path);
        const int newsBefore = newsFetches();
        startEngine();
        if (!c.path.empty()) {
            ASSERT_TRUE(waitFor([&] { return server.hits(c.path) - hitsBefore >= 4; }));
            EXPECT_EQ(window.numbers(), offline ? Messages { WM_CONNECTION_LOST } : Messages {})
                << "a lost connection is reported once, nothing else while a phase retries";
            EXPECT_EQ(fetches->load(), offline ? 0 : 1) << "no version check yet";
            EXPECT_TRUE(c.path != "/img/logo.gif" || newsFetches() == newsBefore)
                << "images come before news";
            serveContent();
        }
        ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
        EXPECT_TRUE(stopsAtOnce()) << "exit ends the periodic wait at once";

        Messages expected = offline ? Messages { WM_CONNECTION_LOST } : Messages {};
        if (c.newer)
            expected.push_back(WM_NEW_APP_VERSION);
        expected.push_back(WM_CONTENT_READY);
        EXPECT_EQ(window.numbers(), expected);
        EXPECT_EQ(fetches->load(), 2) << "configuration, then version check";
        // The window hears of content after the new configuration is live, and of a new version after
        // its installer address is; nothing else of the later edition is applied.
        for (size_t i = offline ? 1 : 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i]->alerts_reload, 1000000);
            EXPECT_EQ(seen[i]->app_version, "1.0.0.10");
            EXPECT_EQ(seen[i]->app_url, server.url(c.newer ? "/tavrin-setup-later" : "/tavrin-setup"));
        }
        EXPECT_EQ(readFile(cachedConfigPath()), first) << "a version check stores no document";
        EXPECT_EQ(readFile(ImagePath(QStringLiteral("logo"), server.url("/img/logo.gif"))), logo);
        EXPECT_EQ(readFile(ImagePath(QStringLiteral("tavrin_icon"), server.url("/img/icon.png"))), icon);
    }
}

TEST_F(RefreshEngineTest, ExitEndsTheStartUpWaitsAtOnce)
{
    // Every wait ten times its real length: 100 s between connection tests, 50 s between retries.
    services.clock.setMicrosecondsPerSecond(10000000);
    const std::pair<std::string, std::string> phases[] = {
        { "/ok.txt", "down" }, // waiting for the connection
        { "/img/icon.png", "not the icon" },
        { "/news.xml", "<news/>" },
    };
    for (const auto &[path, broken] : phases) {
        SCOPED_TRACE(path);
        serveContent();
        server.serve(path, broken);
        const int before = server.hits(path);
        startEngine();
        ASSERT_TRUE(waitFor([&] { return server.hits(path) > before; }));
        EXPECT_TRUE(stopsAtOnce());
        EXPECT_EQ(window.count(WM_CONTENT_READY), 0);
    }
}

TEST_F(RefreshEngineTest, VersionIsCheckedEvery1800ConnectedSecondsAtTheDownloadedPace)
{
    services.clock.setMicrosecondsPerSecond(20);
    struct Case {
        int period;
        int cyclesPerCheck;
        int checksToSee;
    };
    const Case cases[] = { { 600, 3, 2 }, { 700, 3, 2 }, { 1000, 2, 2 }, { 1800, 1, 3 }, { 60, 30, 1 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "period " << c.period);
        // Were the installed period to set the pace, the first wait alone would outlast the test.
        install(1000000);
        publish(c.period, "1.0.0.11");
        const int configBefore = server.hits("/clientconfig.xml");
        const int newsBefore = newsFetches();

        startEngine();
        // Stopped at a cycle count where a miscount by one shows.
        const int cyclesToRun = c.checksToSee * c.cyclesPerCheck + 1;
        ASSERT_TRUE(waitFor([&] { return newsFetches() - newsBefore - 1 >= cyclesToRun; }));
        stopEngine();

        // The initial news read is one fetch; every connected cycle reads the document once more.
        const int cycles = newsFetches() - newsBefore - 1;
        // Start-up fetches the document twice (configuration, version check).
        const int checks = server.hits("/clientconfig.xml") - configBefore - 2;
        EXPECT_EQ(checks, cycles / c.cyclesPerCheck) << cycles << " cycles";
        EXPECT_GE(checks, c.checksToSee);
        EXPECT_EQ(window.count(WM_NEW_APP_VERSION), checks + 1);
        EXPECT_EQ(window.count(WM_CONNECTION_LOST), 0);
    }
}

TEST_F(RefreshEngineTest, CyclesReadTheNewsWhileConnectedAndReportLossesAndNewItems)
{
    enum Change { Nothing, NewsFail, MonitorDown, DownDuringNews, NewItem };
    struct Case {
        const char *name;
        Change change; // made once the content is ready
        bool lostReported;
        bool newsStillRead; // whether cycles go on fetching the news document
        int alerts; // reports of news for the alerts
    };
    const Case cases[] = {
        { "connected: the items read at start are never reported", Nothing, false, true, 0 },
        { "news fail while connected", NewsFail, false, true, 0 },
        { "no connection", MonitorDown, true, false, 0 },
        { "news fail and the connection is then gone", DownDuringNews, true, false, 0 },
        { "a new item is reported once", NewItem, false, true, 1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        serveContent();
        server.serve("/news.xml", newsDocument({ "1", "2" }));
        startEngine();
        ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
        if (c.change == NewsFail)
            server.serve("/news.xml", "", 500);
        if (c.change == MonitorDown)
            server.serve("/ok.txt", "down");
        if (c.change == NewItem)
            server.serve("/news.xml", newsDocument({ "3", "1", "2" }));
        if (c.change == DownDuringNews)
            server.route("/news.xml", [this](const httplib::Request &, httplib::Response &response) {
                server.serve("/ok.txt", "down");
                response.status = 404;
            });
        // Every cycle tests the connection; two tests later the cycle under way at the change is over.
        const int changed = probes();
        ASSERT_TRUE(waitFor([&] { return probes() >= changed + 2; }));
        const int newsBefore = newsFetches();
        const int settled = probes();
        ASSERT_TRUE(waitFor([&] { return probes() >= settled + 4; }));
        stopEngine();

        EXPECT_EQ(window.count(WM_CONNECTION_LOST) > 0, c.lostReported);
        EXPECT_EQ(newsFetches() > newsBefore, c.newsStillRead) << "no news are read without a connection";
        EXPECT_EQ(window.count(WM_NEWS_FOR_ALERTS), c.alerts);
    }
}

} // namespace
} // namespace tavrin
