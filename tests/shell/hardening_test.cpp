// A hostile server and local user: deadlines, probes, a publisher on this machine, the lock, settings debris.
#include "base/paths.h"
#include "settings/settings.h"
#include "settings/settingsdebris.h"
#include "shell/tavrinapp.h"
#include "support/appservices.h"
#include "support/privatefolders.h"
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
    // A caller waits behind a probe stuck in a silent request only as long as a download may take.
    ClientConfig config;
    config.monitoring_url = server->url("/monitor");
    services.config.replace(config);
    server->serve("/monitor", "OK");
    ASSERT_TRUE(services.connection.isConnected());
    server->silence("/monitor");
    services.clock.advanceMs(3000);
    auto prober = std::async(std::launch::async, [&] { return services.connection.isConnected(); });
    ASSERT_TRUE(test::waitUntil([&] { return server->hits("/monitor") == 2; }));
    services.http.setLimits(FetchLimits { .deadlineMs = 200 });
    EXPECT_TRUE(services.connection.isConnected() && server->hits("/monitor") == 2
                && prober.wait_for(std::chrono::seconds(0)) == std::future_status::timeout);
    // The session's deadline, redirects included, and a caller's own longer one, as the installer passes it.
    QByteArray body;
    QString why[2];
    EXPECT_FALSE(FetchBytes(services.http, server->url("/hop"), body, true, nullptr, 1000, &why[0]));
    EXPECT_FALSE(FetchBytes(services.http, server->url("/trickle"), body, true, nullptr, 1000, &why[1], 600));
    EXPECT_EQ(why[0] + u'|' + why[1], u"no complete answer within 200 ms|no complete answer within 600 ms"_s);
    server.reset(); // the silent address answers 503 as it stops
    EXPECT_FALSE(prober.get() || services.connection.isConnected()) << "the probe's answer is shared";

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
    const QByteArray lock = QFile::encodeName(SingleInstanceLockPath()); // a dangling link at its place
    ASSERT_EQ(::symlink("/nonexistent", lock.constData()), 0);
    EXPECT_TRUE(fatalStart() && ::unlink(lock.constData()) == 0);

    // Side files, check copies and lock files of killed writers, a link among them, go; other names stay.
    ASSERT_TRUE(SetFirstTimeClose(false) && test::writeFile(root + u"/victim"_s, "precious"));
    for (const QString &name : { u".a1B2c3"_s, u".a1B2c3.new"_s, u".a1B2c3.lock"_s, u"x"_s })
        ASSERT_TRUE(test::writeFile(store + name, "[x]\n"));
    ASSERT_EQ(::symlink(QFile::encodeName(root + u"/victim"_s), QFile::encodeName(store + u".link"_s)), 0);
    QLockFile writer(store + u".lock"_s); // a writer that lives
    ASSERT_TRUE(writer.tryLock(0) && SweepSettingsDebris(0) == -1 && QFile::exists(store + u".a1B2c3.new"_s));
    writer.unlock();
    EXPECT_TRUE(fatalStart());
    EXPECT_EQ(QFileInfo(store).dir().entryList(QDir::AllEntries | QDir::System),
              QStringList({ u"."_s, u".."_s, u"Tavrin.conf"_s, u"Tavrin.confx"_s }));
    EXPECT_TRUE(test::readFile(root + u"/victim"_s) == "precious" && !IsFirstTimeClose());
}

} // namespace
} // namespace tavrin
