// The refresh engine against a loopback publisher: start-up phases, configuration and version updates,
// the periodic cycle and its messages, and how fast exit ends every wait.
#include "base/appmessage.h"
#include "base/appstate.h"
#include "base/clock.h"
#include "base/files.h"
#include "base/paths.h"
#include "base/messages.h"
#include "settings/settings.h"
#include "base/stopevent.h"
#include "config/configloader.h"
#include "config/liveconfig.h"
#include "net/connectivity.h"
#include "net/httpclient.h"
#include "engine/refreshengine.h"
#include "support/newsdocs.h"
#include "support/testfiles.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace tavrin {
namespace {

using test::readFile;
using test::TestServer;
using test::waitUntil;
using test::writeFile;

constexpr int kWaitMs = 15000;

class FakePresence : public NetworkPresence {
public:
    bool systemReportsConnection() const override { return true; }
};

// Every reading is 3 seconds after the previous one, so the shared connection result is never reused
// and each IsConnected of the engine reaches the monitoring address (and can be counted there).
class SteppingClock : public Clock {
public:
    std::int64_t nowSeconds() const override { return m_seconds.fetch_add(3); }
    std::int64_t monotonicMs() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

private:
    mutable std::atomic<std::int64_t> m_seconds { 1700000000 };
};

// Stands in for the main window: records every message with the live configuration seen on arrival.
class MainWindowProbe : public QObject {
public:
    struct Seen {
        int number;
        std::shared_ptr<const ClientConfig> config;
    };
    std::vector<Seen> seen;

    int count(int number) const
    {
        int n = 0;
        for (const Seen &s : seen)
            n += s.number == number;
        return n;
    }
    std::vector<int> numbers() const
    {
        std::vector<int> result;
        for (const Seen &s : seen)
            result.push_back(s.number);
        return result;
    }

protected:
    bool event(QEvent *event) override
    {
        if (AppMessage *message = asAppMessage(event)) {
            seen.push_back({ message->number(), currentConfig() });
            return true;
        }
        return QObject::event(event);
    }
};

QByteArray fixture(const char *name)
{
    return test::fixtureBytes("config", name);
}

std::string str(const QByteArray &bytes)
{
    return bytes.toStdString();
}

// A sections_news document with one news item per id in the "portada" section, each a minute apart.
std::string newsDocument(const std::vector<std::string> &ids)
{
    std::string items;
    int minute = 0;
    for (const std::string &id : ids)
        items += test::newsItem(id, minute++);
    return test::newsDocument(test::newsSection("portada", items));
}

class RefreshEngineTest : public testing::Test {
protected:
    const QByteArray icon = QByteArrayLiteral("\x89PNG icon bytes");
    const QByteArray logo = QByteArrayLiteral("GIF89a logo bytes");

    void SetUp() override
    {
        setNetworkPresence(&presence);
        setClock(&clock);
        ResetConnectionCache();
        setAppState(AppState::Running);
        setRefreshMicrosecondsPerSecond(100);
        server.serve("/ok.txt", "OK");
        server.serve("/img/icon.png", str(icon));
        server.serve("/img/logo.gif", str(logo));
        server.serve("/news.xml", newsDocument({}));
        server.serve("/otros.xml", newsDocument({}));
        publish(60, "1.0.0.11");
        install(300);
    }

    void TearDown() override
    {
        stopEngine();
        setRefreshMicrosecondsPerSecond(1000000);
        setNetworkPresence(nullptr);
        setClock(nullptr);
        ResetConnectionCache();
        setAppState(AppState::Starting);
        liveConfig().replace(ClientConfig());
    }

    // The good fixture pointed at this server, with our images' checksums, a period and a version.
    QByteArray configDocument(int period, const char *version, const char *fixtureName = "good")
    {
        QByteArray doc = fixture(fixtureName);
        EXPECT_TRUE(doc.contains("http://127.0.0.1:8642")) << fixtureName;
        doc.replace("http://127.0.0.1:8642", QByteArray::fromStdString(server.baseUrl()));
        doc.replace("crc32=\"3735928559\"", "crc32=\"" + QByteArray::number(BufferCrc32(icon)) + '"');
        doc.replace("crc32=\"12\"", "crc32=\"" + QByteArray::number(BufferCrc32(logo)) + '"');
        const QByteArray alertsWindow = "max_news_per_show=\"3\" reload=\"300\"";
        doc.replace(alertsWindow, "max_news_per_show=\"3\" reload=\"" + QByteArray::number(period) + '"');
        doc.replace("version=\"1.0.0.11\"", QByteArray("version=\"") + version + '"');
        return doc;
    }
    // What the server offers as the configuration document.
    void publish(int period, const char *version)
    {
        published = configDocument(period, version);
        server.serve("/clientconfig.xml", str(published));
    }
    // What start-up loaded before the engine runs.
    void install(int period)
    {
        ClientConfig config;
        ASSERT_TRUE(LoadConfigurationText(configDocument(period, "1.0.0.10"), config));
        ASSERT_EQ(config.alerts_reload, period);
        config.app_url = QStringLiteral("http://installed.example/setup");
        liveConfig().replace(std::move(config));
    }

    QString cachedConfigPath() const { return DataFolder() + QStringLiteral("clientconfig.xml"); }
    int configFetches() const { return server.hits("/clientconfig.xml"); }
    int newsFetches() const { return server.hits("/news.xml"); }
    int probes() const { return server.hits("/ok.txt"); }

    // Ids unique to the running test: the news store remembers every id for the life of the process.
    static std::string newsId(int n)
    {
        return std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-"
            + std::to_string(n);
    }

    void startEngine()
    {
        ASSERT_FALSE(engine.joinable());
        stop.reset();
        engine
            = std::thread(RefreshThreadMain, std::make_unique<RefreshStart>(RefreshStart { &window, &stop }));
    }
    // Sets the stop event and joins; the milliseconds that took.
    qint64 stopEngine()
    {
        if (!engine.joinable())
            return 0;
        const auto begin = std::chrono::steady_clock::now();
        stop.set();
        engine.join();
        const auto ms
            = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
        QCoreApplication::sendPostedEvents(&window);
        return ms.count();
    }
    // Waits for a condition, then delivers whatever the engine posted before it became true.
    template <typename Predicate> bool waitFor(Predicate predicate, int timeoutMs = kWaitMs)
    {
        const bool ok = waitUntil(predicate, timeoutMs);
        QCoreApplication::sendPostedEvents(&window);
        return ok;
    }

    // Declared before the session, so the session closes its kept-alive connections before the server
    // stops (a server stopping with a connection still open waits for it to time out).
    TestServer server;
    InternetSession session;
    FakePresence presence;
    SteppingClock clock;
    MainWindowProbe window;
    StopEvent stop;
    std::thread engine;
    QByteArray published;
};

TEST(IsNewerVersion, ComparesPiecesAsNumbers)
{
    struct Case {
        const char *remote;
        const char *own;
        bool newer;
    };
    const Case cases[] = {
        { "1.0.0.11", "1.0.0.10", true },
        { "1.0.0.10.1", "1.0.0.10", false }, // the extra piece is never compared
        { "1.0.0.10", "1.0.0.10.1", false },
        { "2", "1.9.9.9", true },
        { "1.0.0.9", "1.0.0.10", false }, // numbers, not text
        { "1.0.0.10", "1.0.0.10", false },
        { "1.1", "1.0.9", true },
        { "0.9", "1.0", false },
        { "1.x.5", "1.0.4", true }, // a piece that is no number reads as 0
        { "1.0.5", "1.beta.4", true },
        { "abc", "0", false },
        { "1.2a", "1.1", true }, // digits up to the first non-digit
        { "", "1.0.0.10", false },
        { "1.0.0.11", "", false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.remote << " vs " << c.own);
        EXPECT_EQ(IsNewerVersion(QString::fromUtf8(c.remote), QString::fromUtf8(c.own)), c.newer);
    }
}

TEST_F(RefreshEngineTest, UpdateConfigurationAppliesOnlyValidDocumentsAndStoresTheirBytes)
{
    const QByteArray latin1 = configDocument(45, "1.0.0.10", "latin1_encoding");
    ASSERT_NE(latin1.indexOf('\xf3'), -1) << "the fixture holds ISO-8859-1 bytes";
    struct Case {
        const char *name;
        QByteArray body;
        int status;
        bool gzip;
        bool accepted;
        QString firstSection;
    };
    const Case cases[] = {
        { "good document", configDocument(45, "1.0.0.10"), 200, false, true, QStringLiteral("Portada") },
        { "bytes stay ISO-8859-1", latin1, 200, false, true, QStringLiteral("Sección España") },
        { "gzip file", configDocument(45, "1.0.0.10"), 200, true, true, QStringLiteral("Portada") },
        { "malformed", fixture("malformed"), 200, false, false, {} },
        { "fails validation", configDocument(45, "1.0.0.10", "alerts_reload_zero"), 200, false, false, {} },
        { "error status", configDocument(45, "1.0.0.10"), 404, false, false, {} },
        { "empty body", QByteArray(), 200, false, false, {} },
    };
    const QString previousPath = QStringLiteral("/opt/tavrin/clientconfig.xml");
    const QByteArray previousBytes = "<previous cached document/>";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        install(300);
        ASSERT_TRUE(SetConfigurationPath(previousPath));
        ASSERT_TRUE(writeFile(cachedConfigPath(), previousBytes));
        if (c.gzip)
            server.gzipFile("/clientconfig.xml", str(c.body));
        else
            server.serve("/clientconfig.xml", str(c.body), c.status);
        const auto before = currentConfig();

        UpdateConfiguration();

        const auto after = currentConfig();
        EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files),
                  QStringList { QStringLiteral("clientconfig.xml") })
            << "no partial files are left behind";
        if (c.accepted) {
            EXPECT_NE(after.get(), before.get());
            ASSERT_FALSE(after->sections.isEmpty());
            EXPECT_EQ(after->sections.first().name, c.firstSection);
            EXPECT_EQ(after->alerts_reload, 45);
            EXPECT_EQ(readFile(cachedConfigPath()), c.body);
            EXPECT_EQ(GetConfigurationPath(), cachedConfigPath());
        } else {
            EXPECT_EQ(after.get(), before.get());
            EXPECT_EQ(readFile(cachedConfigPath()), previousBytes);
            EXPECT_EQ(GetConfigurationPath(), previousPath);
        }
    }
}

TEST_F(RefreshEngineTest, UpdateConfigurationKeepsTheCachedFileWhenThePathCannotBeStored)
{
    // First a good run: the cached file and its stored path.
    UpdateConfiguration();
    const QByteArray firstBytes = published;
    ASSERT_EQ(readFile(cachedConfigPath()), firstBytes);
    ASSERT_EQ(GetConfigurationPath(), cachedConfigPath());
    const auto firstConfig = currentConfig();
    ASSERT_EQ(firstConfig->alerts_reload, 60);

    // Make the settings store larger than the configuration document, then allow files only a little
    // larger than the document: the new document can be written, the store cannot.
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, QStringLiteral("feed%1").arg(i),
                                        QString(900, QLatin1Char('x')), kOtherMediaKeyPath));
    ASSERT_GT(QFileInfo(SettingsFilePath()).size(), published.size() + 2048);
    publish(90, "1.0.0.10");
    {
        test::FileSizeLimit limit(rlim_t(published.size() + 1024));
        ASSERT_TRUE(limit.ok());
        UpdateConfiguration();
    }
    EXPECT_EQ(readFile(cachedConfigPath()), firstBytes) << "the file the stored path names is kept as it was";
    EXPECT_EQ(GetConfigurationPath(), cachedConfigPath());
    EXPECT_EQ(currentConfig().get(), firstConfig.get());
    EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files), QStringList { QStringLiteral("clientconfig.xml") });

    // Once the store can be written again the same document goes through.
    UpdateConfiguration();
    EXPECT_EQ(readFile(cachedConfigPath()), published);
    EXPECT_EQ(currentConfig()->alerts_reload, 90);
}

TEST_F(RefreshEngineTest, CheckAppVersionAppliesOnlyTheInstallerAddress)
{
    struct Case {
        const char *name;
        const char *version; // null: a malformed document
        bool newer;
    };
    const Case cases[] = {
        { "newer", "1.0.0.11", true }, { "much newer", "2", true },
        { "same", "1.0.0.10", false }, { "extra piece", "1.0.0.10.1", false },
        { "older", "1.0.0.9", false }, { "malformed document", nullptr, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        install(300);
        if (c.version) {
            QByteArray doc = configDocument(45, c.version);
            doc.replace("/tavrin-setup", "/tavrin-setup-new");
            server.serve("/clientconfig.xml", str(doc));
        } else {
            server.malformedXml("/clientconfig.xml");
        }
        const auto before = currentConfig();

        EXPECT_EQ(CheckAppVersion(), c.newer);

        const auto after = currentConfig();
        EXPECT_EQ(after->app_url, c.newer ? server.url("/tavrin-setup-new") : before->app_url);
        EXPECT_EQ(after->alerts_reload, 300) << "nothing else of the remote document is applied";
        EXPECT_EQ(after->app_version, before->app_version);
        EXPECT_EQ(after->sections.size(), before->sections.size());
    }
    EXPECT_FALSE(QFileInfo::exists(cachedConfigPath())) << "a version check stores no document";
}

TEST_F(RefreshEngineTest, StartupEndsWithContentReady)
{
    struct Case {
        const char *version;
        std::vector<int> messages;
        std::string appUrlPath; // the installer address the window sees
    };
    const Case cases[] = {
        { "1.0.0.11", { WM_NEW_APP_VERSION, WM_CONTENT_READY }, "/tavrin-setup-later" },
        { "1.0.0.10", { WM_CONTENT_READY }, "/tavrin-setup" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.version);
        install(300);
        // The version check reads a later edition of the document than the configuration step did; a
        // period long enough that no cycle runs during the case.
        const QByteArray first = configDocument(100000, c.version);
        QByteArray later = first;
        later.replace("/tavrin-setup", "/tavrin-setup-later");
        later.replace("reload=\"100000\"", "reload=\"200000\"");
        auto fetches = std::make_shared<std::atomic<int>>(0);
        server.route("/clientconfig.xml",
                     [fetches, first = str(first), later = str(later)](const httplib::Request &,
                                                                       httplib::Response &response) {
                         response.set_content(fetches->fetch_add(1) == 0 ? first : later, "text/xml");
                     });
        window.seen.clear();

        startEngine();
        ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
        stopEngine();

        EXPECT_EQ(window.numbers(), c.messages);
        EXPECT_EQ(fetches->load(), 2) << "configuration, then version check";
        // The window hears of content after the new configuration is live, and of a new version after
        // the installer address is; nothing else of the later edition is applied.
        for (const MainWindowProbe::Seen &seen : window.seen) {
            SCOPED_TRACE(seen.number);
            EXPECT_EQ(seen.config->alerts_reload, 100000);
            EXPECT_EQ(seen.config->app_url, server.url(c.appUrlPath));
        }
        EXPECT_EQ(readFile(cachedConfigPath()), first);
        EXPECT_EQ(readFile(ImagePath(QStringLiteral("logo"), server.url("/img/logo.gif"))), logo);
        EXPECT_EQ(readFile(ImagePath(QStringLiteral("tavrin_icon"), server.url("/img/icon.png"))), icon);
    }
}

TEST_F(RefreshEngineTest, StartingOfflineReportsOnceAndFetchesAfterTheConnectionReturns)
{
    server.serve("/ok.txt", "down");
    startEngine();
    // Several connection tests while offline, one report, no configuration download.
    ASSERT_TRUE(waitFor([&] { return probes() >= 5; }));
    EXPECT_EQ(window.numbers(), std::vector<int> { WM_CONNECTION_LOST });
    EXPECT_EQ(configFetches(), 0);

    server.serve("/ok.txt", "OK");
    ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
    EXPECT_EQ(window.count(WM_CONNECTION_LOST), 1);
    EXPECT_GE(configFetches(), 1);
    EXPECT_EQ(currentConfig()->alerts_reload, 60) << "the downloaded configuration is live";
}

TEST_F(RefreshEngineTest, StartupPhasesRetryUntilTheirContentIsThere)
{
    struct Case {
        const char *name;
        std::string path;
        std::string broken;
        std::string fixed;
        bool newsRead; // whether the news documents are read while stuck
    };
    const Case cases[] = {
        { "image whose checksum never matches", "/img/logo.gif", "GIF89a damaged", str(logo), false },
        { "missing news document", "/news.xml", "", newsDocument({}), true },
        { "news document with the wrong root", "/news.xml", "<news/>", newsDocument({}), true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        install(300);
        window.seen.clear();
        if (c.broken.empty())
            server.serve(c.path, "", 404);
        else
            server.serve(c.path, c.broken);
        const int hitsBefore = server.hits(c.path);
        const int newsBefore = newsFetches();
        const int configBefore = configFetches();

        startEngine();
        ASSERT_TRUE(waitFor([&] { return server.hits(c.path) - hitsBefore >= 4; }));
        EXPECT_TRUE(window.seen.empty()) << "nothing is reported while a start-up phase retries";
        EXPECT_EQ(configFetches() - configBefore, 1) << "no version check yet";
        if (!c.newsRead) {
            EXPECT_EQ(newsFetches(), newsBefore);
        }

        server.serve(c.path, c.fixed);
        ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
        stopEngine();
    }
}

TEST_F(RefreshEngineTest, VersionIsCheckedEvery1800ConnectedSeconds)
{
    setRefreshMicrosecondsPerSecond(20);
    struct Case {
        int period;
        int cyclesPerCheck;
        int checksToSee;
    };
    const Case cases[] = { { 600, 3, 2 }, { 700, 3, 2 }, { 1000, 2, 2 }, { 1800, 1, 3 }, { 60, 30, 1 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "period " << c.period);
        install(300);
        publish(c.period, "1.0.0.11");
        window.seen.clear();
        const int configBefore = configFetches();
        const int newsBefore = newsFetches();

        startEngine();
        // Stopped at a cycle count where a miscount by one shows.
        const int cyclesToRun = c.checksToSee * c.cyclesPerCheck + 1;
        ASSERT_TRUE(waitFor([&] { return newsFetches() - newsBefore - 1 >= cyclesToRun; }));
        stopEngine();

        // The initial news read is one fetch; every connected cycle reads the document once more.
        const int cycles = newsFetches() - newsBefore - 1;
        // Start-up fetches the document twice (configuration, version check).
        const int checks = configFetches() - configBefore - 2;
        EXPECT_EQ(checks, cycles / c.cyclesPerCheck) << cycles << " cycles";
        EXPECT_GE(checks, c.checksToSee);
        EXPECT_EQ(window.count(WM_NEW_APP_VERSION), checks + 1);
        EXPECT_EQ(window.count(WM_CONNECTION_LOST), 0);
    }
}

TEST_F(RefreshEngineTest, ADownloadedPeriodSetsThePaceOfTheNextWait)
{
    // The installed period would make the first wait last 8.6 s; the downloaded one is 6 ms.
    install(86400);
    publish(60, "1.0.0.10");
    startEngine();
    ASSERT_TRUE(waitFor([&] { return newsFetches() >= 6; }, 5000));
    EXPECT_EQ(currentConfig()->alerts_reload, 60);
}

TEST_F(RefreshEngineTest, ANewItemIsReportedForAlertsOnce)
{
    server.serve("/news.xml", newsDocument({ newsId(1), newsId(2) }));
    startEngine();
    ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
    const int ready = newsFetches();
    ASSERT_TRUE(waitFor([&] { return newsFetches() >= ready + 3; }));
    EXPECT_EQ(window.count(WM_NEWS_FOR_ALERTS), 0) << "the items read at start are never reported";

    server.serve("/news.xml", newsDocument({ newsId(3), newsId(1), newsId(2) }));
    ASSERT_TRUE(waitFor([&] { return window.count(WM_NEWS_FOR_ALERTS) == 1; }));
    const int reported = newsFetches();
    ASSERT_TRUE(waitFor([&] { return newsFetches() >= reported + 3; }));
    EXPECT_EQ(window.count(WM_NEWS_FOR_ALERTS), 1) << "an item is new only once";
}

TEST_F(RefreshEngineTest, PeriodicCycleReportsALostConnection)
{
    struct Case {
        const char *name;
        bool monitorDown; // the monitoring address stops answering "OK"
        bool newsFail; // the news document fails
        bool goesDownDuringNews; // the monitoring address goes down while the news are fetched
        bool lostReported;
        bool newsStillRead; // whether cycles go on fetching the news document
    };
    const Case cases[] = {
        { "connected and news read", false, false, false, false, true },
        { "news fail while connected", false, true, false, false, true },
        { "no connection", true, false, false, true, false },
        { "news fail and the connection is then gone", false, true, true, true, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.serve("/ok.txt", "OK");
        server.serve("/news.xml", newsDocument({}));
        window.seen.clear();
        startEngine();
        ASSERT_TRUE(waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));

        if (c.goesDownDuringNews) {
            server.route("/news.xml", [this](const httplib::Request &, httplib::Response &response) {
                server.serve("/ok.txt", "down");
                response.status = 404;
            });
        } else if (c.newsFail) {
            server.serve("/news.xml", "", 500);
        }
        if (c.monitorDown)
            server.serve("/ok.txt", "down");
        // Every cycle tests the connection; two tests later the cycle under way at the change is over.
        const int changed = probes();
        ASSERT_TRUE(waitFor([&] { return probes() >= changed + 2; }));
        const int newsBefore = newsFetches();
        const int settled = probes();
        ASSERT_TRUE(waitFor([&] { return probes() >= settled + 4; }));
        stopEngine();

        EXPECT_EQ(window.count(WM_CONNECTION_LOST) > 0, c.lostReported);
        EXPECT_EQ(newsFetches() > newsBefore, c.newsStillRead) << "no news are read without a connection";
        install(300);
    }
}

TEST_F(RefreshEngineTest, ExitInterruptsEveryWaitAtOnce)
{
    // Real lengths: 10 s between connection tests, 5 s between retries, a 300 s period.
    setRefreshMicrosecondsPerSecond(1000000);
    struct Case {
        const char *phase;
        std::string path; // served broken to hold the engine in the phase
        std::string brokenBody;
        int reachedMessage; // the message that shows the phase was reached; 0: the broken path's first hit
    };
    const Case cases[] = {
        { "waiting for the connection", "/ok.txt", "down", WM_CONNECTION_LOST },
        { "images", "/img/icon.png", "not the icon", 0 },
        { "initial news", "/news.xml", "<news/>", 0 },
        { "periodic", "", "", WM_CONTENT_READY },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.phase);
        server.serve("/ok.txt", "OK");
        server.serve("/img/icon.png", str(icon));
        server.serve("/news.xml", newsDocument({}));
        if (!c.path.empty())
            server.serve(c.path, c.brokenBody);
        install(300);
        publish(300, "1.0.0.10");
        window.seen.clear();
        const int hitsBefore = c.path.empty() ? 0 : server.hits(c.path);

        startEngine();
        ASSERT_TRUE(waitFor([&] {
            return c.reachedMessage ? window.count(c.reachedMessage) == 1 : server.hits(c.path) > hitsBefore;
        }));
        const qint64 ms = stopEngine();
        std::printf("[ measured ] exit while %s: %lld ms\n", c.phase, static_cast<long long>(ms));
        EXPECT_LT(ms, 2000);
        EXPECT_EQ(window.count(WM_CONTENT_READY), c.reachedMessage == WM_CONTENT_READY ? 1 : 0);
    }
}

} // namespace
} // namespace tavrin
