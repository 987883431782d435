// The connection monitor: the exact "OK" rule, the shared two-second result and waiting for the connection.
#include "base/stopevent.h"
#include "support/services.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>

namespace tavrin {
namespace {

// A monitor whose monitoring address is on a loopback server, with the services of a test.
template <typename ClockType> class MonitorSetup {
public:
    template <typename... ClockArgs>
    explicit MonitorSetup(ClockArgs... clockArgs)
        : services(clockArgs...)
    {
        answer("OK");
        ClientConfig config;
        config.monitoring_url = server.url("/monitor");
        services.config.replace(config);
    }
    void answer(const std::string &text, int status = 200) { server.serve("/monitor", text, status); }
    int probes() const { return server.hits("/monitor"); }
    ConnectionMonitor &monitor() { return services.connection; }

    test::TestServer server;
    test::TestServices<ClockType> services;
};

TEST(ConnectionMonitor, OnlyAnExactOkCounts)
{
    MonitorSetup<ManualClock> s;
    const std::string okNul("OK\0x", 4); // text stops at a NUL
    // The answer, its status, whether the system reports a network, and whether that counts as connected.
    const std::tuple<std::string, int, bool, bool> cases[] = {
        { "OK", 200, true, true },   { "OK\n", 200, true, false }, { "ok", 200, true, false },
        { " OK", 200, true, false }, { "", 200, true, false },     { "OKAY", 200, true, false },
        { "OK", 404, true, false },  { "OK", 200, false, false },  { okNul, 200, true, true },
    };
    for (const auto &[answer, status, systemUp, connected] : cases) {
        SCOPED_TRACE(testing::Message() << '"' << answer << "\" " << status << (systemUp ? "" : " down"));
        s.answer(answer, status);
        s.services.presence.connected = systemUp;
        EXPECT_EQ(s.monitor().probe(), connected) << "every probe asks again";
    }
    EXPECT_EQ(s.server.lastHeader("/monitor", "Cache-Control"), "no-cache") << "the probe always reloads";
}

TEST(ConnectionMonitor, OneProbeServesEveryCallerForTwoSeconds)
{
    MonitorSetup<ManualClock> s;
    struct Step {
        int advanceSeconds;
        const char *answer; // null: unchanged
        bool connected;
        int probes;
    };
    // The probe time is taken after each probe; a new probe happens only when now > probe time + 2.
    const Step steps[] = {
        { 0, nullptr, true, 1 }, { 0, nullptr, true, 1 },  { 1, nullptr, true, 1 },
        { 1, nullptr, true, 1 }, { 1, nullptr, true, 2 },  { 2, nullptr, true, 2 },
        { 1, nullptr, true, 3 }, { 0, nullptr, true, 3 },  { 0, "maintenance", true, 3 },
        { 2, nullptr, true, 3 }, { 1, nullptr, false, 4 },
    };
    int index = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(index++);
        if (step.answer)
            s.answer(step.answer);
        s.services.clock.advanceMs(step.advanceSeconds * 1000);
        EXPECT_EQ(s.monitor().isConnected(), step.connected);
        EXPECT_EQ(s.probes(), step.probes);
    }
    s.answer("OK");
    s.monitor().reset();
    EXPECT_TRUE(s.monitor().isConnected()) << "a reset result is probed again at once";
    EXPECT_EQ(s.probes(), 5);

    // Callers arriving while a probe is under way take its result.
    s.monitor().reset();
    std::vector<std::thread> threads;
    std::atomic<int> connected { 0 };
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] { connected += s.monitor().isConnected() ? 1 : 0; });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(connected.load(), 8);
    EXPECT_EQ(s.probes(), 6);
}

TEST(ConnectionMonitor, WaitForConnectionTestsAgainUntilConnectedOrStopped)
{
    // Each reading of the clock is 3 seconds after the last, so every test of the waiter probes.
    MonitorSetup<test::FastClock> s(1000, 3);
    StopEvent stop;
    EXPECT_TRUE(s.monitor().waitForConnection(stop, 10)) << "connected: true at once";
    EXPECT_EQ(s.probes(), 1);

    s.answer("down");
    stop.set();
    EXPECT_FALSE(s.monitor().waitForConnection(stop, 10)) << "signalled while offline: false";

    // The connection returns at the fourth test.
    auto tests = std::make_shared<std::atomic<int>>(0);
    s.server.route("/monitor", [tests](const httplib::Request &, httplib::Response &response) {
        response.set_content(++*tests >= 4 ? "OK" : "down", "text/plain");
    });
    EXPECT_TRUE(s.monitor().waitForConnection(stop, 10));
    EXPECT_EQ(tests->load(), 4);
}

} // namespace
} // namespace tavrin
