// The connection monitor: the exact "OK" rule, the shared two-second result and waits that exit ends.
#include "base/stopevent.h"
#include "support/services.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>

namespace tavrin {
namespace {

TEST(ConnectionMonitor, ProbesForAnExactOkAndSharesTheResultForTwoSeconds)
{
    test::TestServer server;
    test::TestServices<ManualClock> services;
    ClientConfig config;
    config.monitoring_url = server.url("/monitor");
    services.config.replace(config);
    // Seconds the clock moves on (a result older than 2 is probed again), the answer (read as text, which
    // stops at a NUL), its status (0: the system reports no network, so no request is made), whether that
    // counts as connected, and the requests so far.
    const std::string okNul("OK\0x", 4);
    const std::tuple<int, std::string, int, bool, int> steps[] = {
        { 0, "OK", 200, true, 1 },    { 2, "down", 200, true, 1 }, { 1, "down", 200, false, 2 },
        { 2, "OK", 200, false, 2 },   { 1, "OK", 200, true, 3 },   { 3, "OK\n", 200, false, 4 },
        { 3, "ok", 200, false, 5 },   { 3, " OK", 200, false, 6 }, { 3, "", 200, false, 7 },
        { 3, "OKAY", 200, false, 8 }, { 3, "OK", 404, false, 9 },  { 3, "OK", 0, false, 9 },
        { 3, okNul, 200, true, 10 },
    };
    for (const auto &[seconds, answer, status, connected, probes] : steps) {
        SCOPED_TRACE(testing::Message() << '"' << answer << "\" " << status << ", " << probes << " requests");
        server.serve("/monitor", answer, status ? status : 200);
        services.presence.connected = status != 0;
        services.clock.advanceMs(seconds * 1000);
        EXPECT_EQ(services.connection.isConnected(), connected);
        EXPECT_EQ(server.hits("/monitor"), probes);
    }
    EXPECT_EQ(server.lastHeader("/monitor", "Cache-Control"), "no-cache") << "the probe always reloads";

    // Connected: true at once, even at exit; offline: false once exit is signalled.
    StopEvent stop;
    stop.set();
    EXPECT_TRUE(services.connection.waitForConnection(stop, 10));
    server.serve("/monitor", "down");
    services.clock.advanceMs(3000);
    EXPECT_FALSE(services.connection.waitForConnection(stop, 10));

    // After a reset the next caller probes, and callers arriving meanwhile take that probe's result.
    server.serve("/monitor", "OK");
    services.connection.reset();
    std::atomic<int> connected { 0 };
    for (std::vector<std::jthread> callers(8); auto &caller : callers) // all joined at the end
        caller = std::jthread([&] { connected += services.connection.isConnected(); });
    EXPECT_EQ(connected.load(), 8);
    EXPECT_EQ(server.hits("/monitor"), 12);
}

} // namespace
} // namespace tavrin
