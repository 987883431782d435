// Against a hostile server and a hostile local user: download deadlines, a connection test that holds no
// caller long, a publisher on this machine, the lock's place planted, debris of killed settings writers.
#include "settings/settings.h"
#include "settings/settingsdebris.h"
#include "shell/tavrinapp.h"
#include "support/appservices.h"
#include "support/privatefolders.h"
#include "support/services.h"
#include "support/testfiles.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QDir>
#include <QLockFile>

#include <gtest/gtest.h>

#include <future>
#include <optional>

#include <unistd.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

TEST(Hardening, DownloadsEndByTheirDeadlineAndCallersNeverWaitLongerBehindAProbe)
{
    std::optional<test::TestServer> server(std::in_place);
    test::TestServices<ManualClock> services;
    server->trickle("/trickle", 20); // 50 bytes a second: never slow enough for the low-speed rule
    server->redirect("/hop", "/trickle");
    // The session's deadline, then the caller's own as the installer passes it; redirects count in.
    for (const auto &[sessionMs, callMs] : { std::pair(400L, 0L), std::pair(120000L, 300L) }) {
        services.http.setLimits(FetchLimits { .deadlineMs = sessionMs });
        QByteArray body;
        QString why;
        EXPECT_FALSE(FetchBytes(services.http, server->url("/hop"), body, true, nullptr, kMaxDocumentBytes,
                                &why, callMs));
        EXPECT_EQ(why, u"no complete answer within %1 ms"_s.arg(callMs ? callMs : sessionMs));
    }
    // A caller waits for a probe stuck in a silent request no longer than a download may take, then takes the
    // last known answer; a reset never waits for the network.
    ClientConfig config;
    config.monitoring_url = server->url("/monitor");
    services.config.replace(config);
    server->serve("/monitor", "OK");
    ASSERT_TRUE(services.connection.isConnected());
    server->silence("/monitor");
    services.clock.advanceMs(3000);
    services.http.setLimits({});
    auto prober = std::async(std::launch::async, [&] { return services.connection.isConnected(); });
    ASSERT_TRUE(test::waitUntil([&] { return server->hits("/monitor") == 2; }));
    services.connection.reset();
    services.http.setLimits(FetchLimits { .deadlineMs = 200 });
    EXPECT_TRUE(services.connection.isConnected() && server->hits("/monitor") == 2
                && prober.wait_for(std::chrono::seconds(0)) == std::future_status::timeout);
    server.reset(); // the silent address answers 503 as it stops
    EXPECT_FALSE(prober.get() || services.connection.isConnected()) << "the probe's answer is shared";
}

TEST(Hardening, APublisherOnThisMachineNeedsNoOtherInterface)
{
    using enum QNetworkInterface::InterfaceFlag;
    const QNetworkInterface::InterfaceFlags lo = IsUp | IsRunning | IsLoopBack, eth = IsUp | IsRunning;
    const std::tuple<QList<QNetworkInterface::InterfaceFlags>, const char *, bool> cases[] = {
        { { lo }, "https://[::1]:8443/ok", true },          { { lo }, "http://LOCALHOST/ok", true },
        { { lo }, "http://127.0.0.1.example.org/", false }, { { lo, eth }, "http://example.org/", true },
        { { eth }, "http://127.0.0.1:8642/ok", false },     { { IsLoopBack }, "http://127.0.0.1/", false },
    };
    for (const auto &[interfaces, url, reached] : cases)
        EXPECT_EQ(InterfacesCarry(interfaces, IsLoopbackAddress(QString::fromLatin1(url))), reached) << url;
}

TEST(Hardening, AnUnusableLockIsFatalAndDebrisOfSettingsWritersIsSweptUnlessOneLives)
{
    const QString root = test::PrivateFoldersListener::root(), store = SettingsFilePath();
    const auto fatalStart = [&] { // with no configuration anywhere
        test::RecordingBoxes boxes;
        int argc = 0;
        CTavrinApp app(argc, nullptr);
        app.setInstallFolder(root + u"/empty/"_s);
        app.setMessageBoxes(&boxes);
        return app.InitInstance() == CTavrinApp::StartResult::FatalError && boxes.asked.size() == 1
            && boxes.asked[0].text == GetText({}, TextId::FatalError);
    };
    const QByteArray lock = QFile::encodeName(SingleInstanceLockPath());
    ASSERT_EQ(::symlink("/nonexistent", lock.constData()), 0);
    EXPECT_TRUE(fatalStart()) << "a dangling link at the lock's place";
    ASSERT_EQ(::unlink(lock.constData()), 0);

    // Side files, check copies and lock files of killed writers and a link among them go; names not ours
    // stay.
    ASSERT_TRUE(SetFirstTimeClose(false) && test::writeFile(root + u"/victim"_s, "precious"));
    for (const QString &name : { u".a1B2c3"_s, u".a1B2c3.new"_s, u".a1B2c3.lock"_s, u"x"_s, u".d/kept"_s })
        ASSERT_TRUE(test::writeFile(store + name, "[x]\n"));
    ASSERT_EQ(::symlink(QFile::encodeName(root + u"/victim"_s), QFile::encodeName(store + u".link"_s)), 0);
    const QDir dir = QFileInfo(store).dir();
    const QStringList before = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QLockFile writer(store + u".lock"_s); // a writer that lives
    ASSERT_TRUE(writer.tryLock(0) && SweepSettingsDebris(0) == -1);
    writer.unlock();
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
    EXPECT_TRUE(fatalStart());
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              QStringList({ u"Tavrin.conf"_s, u"Tavrin.conf.d"_s, u"Tavrin.confx"_s }));
    EXPECT_TRUE(test::readFile(root + u"/victim"_s) == "precious" && !IsFirstTimeClose());
}

} // namespace
} // namespace tavrin
