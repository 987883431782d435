// The refresh engine against a loopback publisher: start-up, configuration, versions, cycles and exit.
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

#include <QDir>

#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <tuple>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

struct RefreshEngineTest : testing::Test {
    const QByteArray icon = "\x89PNG icon bytes", logo = "GIF89a logo bytes";

    void SetUp() override { install(); }
    void TearDown() override { stopEngine(); }
    // A connection, intact images and news documents (items 1 and 2).
    void serveContent()
    {
        server.serve("/ok.txt", "OK");
        server.serve("/img/icon.png", icon.toStdString());
        server.serve("/img/logo.gif", logo.toStdString());
        server.serve("/news.xml", test::newsDoc("<section id='portada'>{1}{2}</section>"));
        server.serve("/otros.xml", test::newsDoc("<section id='otros'/>"));
    }
    // The fixture pointed at this server, with our images' checksums, an alerts period and a version.
    QByteArray configDocument(int period, const char *version, const char *fixture = "good")
    {
        return test::fixtureBytes("config", fixture)
            .replace("http://127.0.0.1:8642", QByteArray::fromStdString(server.baseUrl()))
            .replace("crc32=\"3735928559\"", "crc32=\"" + QByteArray::number(BufferCrc32(icon)) + '"')
            .replace("crc32=\"12\"", "crc32=\"" + QByteArray::number(BufferCrc32(logo)) + '"')
            .replace("reload=\"300\"", "reload=\"" + QByteArray::number(period) + '"')
            .replace("version=\"1.0.0.11\"", QByteArray("version=\"") + version + '"');
    }
    // The content, and what start-up loaded: our version, a period so long that no cycle runs at its pace.
    void install()
    {
        serveContent();
        ClientConfig config;
        ASSERT_TRUE(LoadConfigurationText(configDocument(1000000, "1.0.0.10"), config));
        services.config.replace(std::move(config));
    }
    QString cachedConfigPath() const { return DataFolder() + u"clientconfig.xml"_s; }

    // Starts the thread and waits until the condition holds.
    bool startEngine(const std::function<bool()> &until)
    {
        stop.reset();
        window.clear();
        engine = std::async(std::launch::async, RefreshThreadMain, services.core(),
                            std::make_unique<RefreshStart>(&window, &stop));
        return window.waitFor(until);
    }
    // Signals exit; true when the thread then ends sooner than the waits that exit must cut short.
    bool stopEngine()
    {
        stop.set();
        const bool ended
            = !engine.valid() || engine.wait_for(std::chrono::seconds(15)) == std::future_status::ready;
        engine = {}; // the thread has ended
        window.drain();
        return ended;
    }

    test::TestServer server; // outlives the session, which closes its kept-alive connections first
    // Each clock reading is 3 s after the last, so every connection test probes; a second's wait: 100 µs.
    test::TestServices<test::FastClock> services { 100, 3 };
    test::MessageRecorder window; // the main window
    StopEvent stop;
    std::future<int> engine;
};

TEST(IsNewerVersion, ComparesPiecesAsNumbers)
{
    // Pieces compare as numbers (no number: 0; leading digits count); those past the shorter one never do.
    const std::tuple<QString, QString, bool> cases[] = {
        { "2", "1.9.9.9", true },   { "1.1", "1.0.9", true },  { "1.0.0.11", "1.0.0.10", true },
        { "0.9", "1.0", false },    { "1.0", "1.0", false },   { "1.0.0.9", "1.0.0.10", false },
        { "1.0.1", "1.0", false },  { "1.0", "1.0.1", false }, { "1.x.5", "1.0.4", true },
        { "1.0.5", "1.b.4", true }, { "abc", "0", false },     { "1.2a", "1.1", true },
        { "", "1.0", false },       { "1.1", "", false },
    };
    for (const auto &[remote, own, newer] : cases)
        EXPECT_EQ(IsNewerVersion(remote, own), newer) << remote.toStdString() << " vs " << own.toStdString();
}

TEST_F(RefreshEngineTest, UpdateConfigurationAppliesAndStoresOnlyValidDocumentsWhole)
{
    const QByteArray good = configDocument(45, "1"), latin1 = configDocument(45, "1", "latin1_encoding");
    const QByteArray invalid = configDocument(45, "1", "alerts_reload_zero"), previous = "<previous/>";
    ASSERT_NE(latin1.indexOf('\xf3'), -1) << "the fixture holds ISO-8859-1 bytes";
    // A settings store larger than the document, for a disk that takes the document but not the store.
    ASSERT_TRUE(
        WriteRegistryString(RegistryRoot::CurrentUser, u"feeds"_s, QString(8000, u'x'), kOtherMediaKeyPath));
    ASSERT_GT(QFileInfo(SettingsFilePath()).size(), good.size() + 2048);
    // With a full disk, no file a little larger than the document can be written: the configuration path
    // cannot be stored. Bytes are stored as they came (decompressed from a gzip file).
    enum Serve { Plain, Gzip, NotFound, FullDisk };
    const std::tuple<QByteArray, Serve, bool> cases[] = {
        { good, FullDisk, false }, { good, Plain, true },     { latin1, Plain, true },
        { good, Gzip, true },      { invalid, Plain, false }, { good, NotFound, false },
    };
    for (const auto &[body, serve, accepted] : cases) {
        SCOPED_TRACE(testing::Message() << serve << ' ' << body.size());
        install();
        // With a full disk the stored path names the cached file itself: that file must stay as it was.
        const QString previousPath = serve == FullDisk ? cachedConfigPath() : u"/elsewhere.xml"_s;
        ASSERT_TRUE(SetConfigurationPath(previousPath) && test::writeFile(cachedConfigPath(), previous));
        serve == Gzip ? server.gzipFile("/clientconfig.xml", body.toStdString())
                      : server.serve("/clientconfig.xml", body.toStdString(), serve == NotFound ? 404 : 200);
        const auto before = services.config.snapshot();
        std::optional<test::FileSizeLimit> limit;
        ASSERT_TRUE(serve != FullDisk || limit.emplace(rlim_t(good.size() + 1024)).ok()) << "no size limit";
        UpdateConfiguration(services.core());
        limit.reset();
        EXPECT_EQ(QDir(DataFolder()).entryList(QDir::Files), QStringList { "clientconfig.xml" });
        EXPECT_EQ(services.config.snapshot() != before, accepted);
        EXPECT_EQ(test::readFile(cachedConfigPath()), accepted ? body : previous);
        EXPECT_EQ(GetConfigurationPath(), accepted ? cachedConfigPath() : previousPath);
    }
}

TEST_F(RefreshEngineTest, StartupRetriesEachPhaseUntilContentIsReadyThenChecksTheVersion)
{
    // A phase's path served broken (empty: 404): exit ends its wait at once, even with waits 10x longer;
    // else it is retried (only a loss reported meanwhile) until served well, as the version check's document
    // turns to one announcing this version (null: malformed; offline, it is yet unread). Then the messages.
    const std::tuple<std::string, std::string, const char *, std::vector<MessageId>> cases[] = {
        { "/ok.txt", "down", nullptr, { WM_CONNECTION_LOST, WM_CONTENT_READY } },
        { "/img/logo.gif", "GIF89a damaged", "1.0.0.11", { WM_NEW_APP_VERSION, WM_CONTENT_READY } },
        { "/news.xml", "", nullptr, { WM_CONTENT_READY } },
        { "/news.xml", "<news/>", "1.0.0.9", { WM_CONTENT_READY } },
    };
    std::vector<std::shared_ptr<const ClientConfig>> seen; // the live configuration as each message arrived
    window.onMessage = [&] { seen.push_back(services.config.snapshot()); };
    for (const auto &[path, broken, version, messages] : cases) {
        SCOPED_TRACE(path + " " + broken);
        QDir(DataFolder() + u"images"_s).removeRecursively();
        server.serve(path, broken, broken.empty() ? 404 : 200);
        services.clock.setMicrosecondsPerSecond(10000000);
        int before = server.hits(path);
        ASSERT_TRUE(startEngine([&] { return server.hits(path) > before; }));
        EXPECT_TRUE(stopEngine()) << "exit ends the wait at once";
        EXPECT_EQ(window.count(WM_CONTENT_READY), 0);

        services.clock.setMicrosecondsPerSecond(100);
        install();
        server.serve(path, broken, broken.empty() ? 404 : 200);
        seen.clear();
        // Both periods are so long that no cycle runs; the later edition has another installer address.
        const QByteArray first = configDocument(2000000, "1.0.0.10");
        const QByteArray later = version ? configDocument(3000000, version).replace("/tavrin-setup", "/later")
                                         : "<clientconfig>";
        server.serve("/clientconfig.xml", first.toStdString());
        const int configBefore = server.hits("/clientconfig.xml"), newsBefore = server.hits("/news.xml");
        const bool offline = path == "/ok.txt", newer = std::ranges::count(messages, WM_NEW_APP_VERSION);
        before = server.hits(path);
        ASSERT_TRUE(startEngine([&] { return server.hits(path) - before >= 4; }));
        EXPECT_EQ(window.numbers, std::vector(messages.begin(), messages.begin() + offline));
        EXPECT_EQ(server.hits("/clientconfig.xml") - configBefore, offline ? 0 : 1) << "no version check yet";
        EXPECT_TRUE(path != "/img/logo.gif" || server.hits("/news.xml") == newsBefore) << "images first";
        server.serve("/clientconfig.xml", (offline ? first : later).toStdString());
        serveContent();
        ASSERT_TRUE(window.waitFor([&] { return window.count(WM_CONTENT_READY) == 1; }));
        EXPECT_TRUE(stopEngine()) << "exit ends the periodic wait at once";
        EXPECT_EQ(window.numbers, messages);
        EXPECT_EQ(server.hits("/clientconfig.xml") - configBefore, 2) << "configuration, then version check";
        // The window hears of content after the new configuration is live, and of a new version after its
        // installer address is; nothing else of the later edition is applied.
        for (size_t i = offline; i < seen.size(); ++i)
            EXPECT_EQ(std::tuple(seen[i]->alerts_reload, seen[i]->app_version, seen[i]->app_url),
                      std::tuple(2000000, u"1.0.0.10"_s, server.url(newer ? "/later" : "/tavrin-setup")));
        EXPECT_EQ(test::readFile(cachedConfigPath()), first) << "a version check stores no document";
    }
}

TEST_F(RefreshEngineTest, VersionIsCheckedEvery1800ConnectedSecondsAtTheDownloadedPace)
{
    services.clock.setMicrosecondsPerSecond(20);
    // The downloaded period, the cycles per version check, and the checks to see.
    const int cases[][3] = { { 600, 3, 2 }, { 700, 3, 2 }, { 1000, 2, 2 }, { 1800, 1, 3 }, { 60, 30, 1 } };
    for (const auto &[period, cyclesPerCheck, checksToSee] : cases) {
        SCOPED_TRACE(period);
        install(); // were its period to set the pace, the first wait alone would outlast the test
        server.serve("/clientconfig.xml", configDocument(period, "1.0.0.11").toStdString());
        const int configBefore = server.hits("/clientconfig.xml"), newsBefore = server.hits("/news.xml");
        // The initial news read is one fetch, then each connected cycle reads the document once more; stopped
        // at a cycle count where a miscount by one shows. Start-up reads the configuration twice.
        const auto cycles = [&] { return server.hits("/news.xml") - newsBefore - 1; };
        ASSERT_TRUE(startEngine([&] { return cycles() >= checksToSee * cyclesPerCheck + 1; }));
        stopEngine();
        const int checks = server.hits("/clientconfig.xml") - configBefore - 2;
        EXPECT_EQ(checks, cycles() / cyclesPerCheck) << cycles() << " cycles";
        EXPECT_GE(checks, checksToSee);
        EXPECT_EQ(window.count(WM_NEW_APP_VERSION), checks + 1);
        EXPECT_EQ(window.count(WM_CONNECTION_LOST), 0);
    }
}

TEST_F(RefreshEngineTest, CyclesReadTheNewsWhileConnectedAndReportLossesAndNewItems)
{
    // A change once the content is ready (none: the items read at start are never reported), whether a
    // loss is then reported, whether cycles go on reading the news, and the reports of news for the alerts.
    const std::string newItem = test::newsDoc("<section id='portada'>{3}{1}{2}</section>");
    const std::tuple<const char *, std::function<void()>, bool, bool, int> cases[] = {
        { "connected", [] {}, false, true, 0 },
        { "news fail", [&] { server.serve("/news.xml", "", 500); }, false, true, 0 },
        { "offline", [&] { server.serve("/ok.txt", "down"); }, true, false, 0 },
        { "a new item", [&] { server.serve("/news.xml", newItem); }, false, true, 1 },
    };
    server.serve("/clientconfig.xml", configDocument(60, "1.0.0.11").toStdString());
    for (const auto &[name, change, lostReported, newsStillRead, alerts] : cases) {
        SCOPED_TRACE(name);
        serveContent();
        ASSERT_TRUE(startEngine([&] { return window.count(WM_CONTENT_READY) == 1; }));
        change();
        // Every cycle tests the connection; two tests later the cycle under way at the change is over.
        const int changed = server.hits("/ok.txt");
        ASSERT_TRUE(window.waitFor([&] { return server.hits("/ok.txt") >= changed + 2; }));
        const int newsBefore = server.hits("/news.xml"), settled = server.hits("/ok.txt");
        ASSERT_TRUE(window.waitFor([&] { return server.hits("/ok.txt") >= settled + 4; }));
        stopEngine();
        EXPECT_EQ(window.count(WM_CONNECTION_LOST) > 0, lostReported);
        EXPECT_EQ(server.hits("/news.xml") > newsBefore, newsStillRead) << "none without a connection";
        EXPECT_EQ(window.count(WM_NEWS_FOR_ALERTS), alerts);
    }
}

} // namespace
} // namespace tavrin
