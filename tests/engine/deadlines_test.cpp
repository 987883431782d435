// Deadlines against a trickling loopback server: downloads, the engine's reads and the connection test; and
// the presence test for a publisher on this machine.
#include "engine/newsupdate.h"
#include "support/services.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

FetchLimits withDeadline(long ms)
{
    FetchLimits limits;
    limits.deadlineMs = ms;
    return limits;
}

TEST(Deadlines, EveryDownloadEndsByItsDeadlineAndTheEngineSeesAFailure)
{
    test::TestServer server;
    InternetSession session;
    EXPECT_EQ(session.limits().deadlineMs, 120000) << "documents and images";
    server.trickle("/trickle", 20); // 50 bytes a second: never slow enough for the low-speed rule
    server.redirect("/hop", "/trickle");
    server.serve("/doc", "<news/>");
    // The path, the session's deadline and the caller's own (0: none), and the failure (empty: read whole).
    const struct {
        const char *path;
        long sessionMs, callMs;
        QString failure;
    } cases[] = {
        { "/trickle", 400, 0, u"no complete answer within 400 ms"_s },
        { "/hop", 400, 0, u"no complete answer within 400 ms"_s }, // redirects count in
        { "/trickle", 120000, 300, u"no complete answer within 300 ms"_s }, // the installer's own limit
        { "/doc", 400, 0, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        session.setLimits(withDeadline(c.sessionMs));
        QByteArray body;
        QString failure;
        EXPECT_EQ(FetchBytes(session, server.url(c.path), body, true, nullptr, kMaxDocumentBytes, &failure,
                             c.callMs),
                  c.failure.isEmpty());
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(body, c.failure.isEmpty() ? "<news/>" : "");
    }

    // A news document served that way fails the read, which start-up and the cycles retry like any other.
    test::TestServices<> services;
    services.http.setLimits(withDeadline(400));
    ClientConfig config;
    config.sections_xml_url = server.url("/trickle");
    EXPECT_FALSE(UpdateNews(services.core(), config, true));
}

TEST(Deadlines, CallersWaitBehindAProbeNoLongerThanItsDeadline)
{
    std::optional<test::TestServer> server(std::in_place);
    test::TestServices<ManualClock> services;
    ClientConfig config;
    config.monitoring_url = server->url("/monitor");
    services.config.replace(config);
    server->serve("/monitor", "OK");
    ASSERT_TRUE(services.connection.isConnected());

    // The monitoring address stops answering; a caller probes again and stays inside the request.
    server->silence("/monitor");
    services.clock.advanceMs(3000);
    auto prober = std::async(std::launch::async, [&] { return services.connection.isConnected(); });
    ASSERT_TRUE(test::waitUntil([&] { return server->hits("/monitor") == 2; }));
    services.connection.reset(); // never waits for the network
    // Another caller waits for that probe only as long as a probe may take, then takes the last answer.
    services.http.setLimits(withDeadline(200));
    EXPECT_TRUE(services.connection.isConnected());
    EXPECT_EQ(prober.wait_for(0s), std::future_status::timeout) << "the probe still runs";
    EXPECT_EQ(server->hits("/monitor"), 2) << "one probe at a time";
    server.reset(); // the silent address now answers 503
    EXPECT_FALSE(prober.get());
    EXPECT_FALSE(services.connection.isConnected()) << "the probe's answer is shared";
}

TEST(LoopbackPresence, APublisherOnThisMachineNeedsNoOtherInterface)
{
    using enum QNetworkInterface::InterfaceFlag;
    const QNetworkInterface::InterfaceFlags lo = IsUp | IsRunning | IsLoopBack, eth = IsUp | IsRunning;
    const QList<QNetworkInterface::InterfaceFlags> loOnly { lo }, both { lo, eth }, ethOnly { eth },
        loDown { IsLoopBack }, ethNotRunning { lo, IsUp };
    const struct {
        QList<QNetworkInterface::InterfaceFlags> interfaces;
        const char *url;
        bool reached;
    } cases[] = {
        { loOnly, "http://127.0.0.1:8642/ok.txt", true },  { loOnly, "http://127.3.4.5/ok", true },
        { loOnly, "https://[::1]:8443/ok", true },         { loOnly, "http://LOCALHOST/ok", true },
        { loOnly, "http://example.org/ok", false },        { loOnly, "http://127.0.0.1.example.org/", false },
        { loOnly, "http://[::ffff:10.0.0.1]/", false },    { both, "http://example.org/ok", true },
        { ethOnly, "http://127.0.0.1/ok", false },         { loDown, "http://127.0.0.1/ok", false },
        { ethNotRunning, "http://example.org/ok", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(InterfacesCarry(c.interfaces, IsLoopbackAddress(QString::fromLatin1(c.url))), c.reached);
    }

    // The system's own word, whatever other interfaces this machine has, lets the probe ask the publisher.
    test::TestServer server;
    server.serve("/ok.txt", "OK");
    test::TestServices<ManualClock> services;
    ClientConfig config;
    config.monitoring_url = server.url("/ok.txt");
    services.config.replace(config);
    SystemNetworkPresence system;
    ConnectionMonitor monitor(services.http, services.config, services.clock, system);
    EXPECT_TRUE(monitor.isConnected());
    EXPECT_EQ(server.hits("/ok.txt"), 1);
}

} // namespace
} // namespace tavrin
