// Connectivity: the exact "OK" rule, the shared two-second cache and the checker thread's messages.
#include "base/appmessage.h"
#include "base/appstate.h"
#include "base/clock.h"
#include "base/messages.h"
#include "base/stopevent.h"
#include "config/liveconfig.h"
#include "net/connectivity.h"
#include "net/httpclient.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tavrin {
namespace {

using test::TestServer;
using test::waitUntil;

class FakePresence : public NetworkPresence {
public:
    std::atomic<bool> up { true };
    bool systemReportsConnection() const override { return up.load(); }
};

// Counts the messages the checker posts to the main window.
class MainWindowStub : public QObject {
public:
    std::atomic<int> lost { 0 };
    std::atomic<int> restored { 0 };

    bool event(QEvent *event) override
    {
        if (AppMessage *message = asAppMessage(event)) {
            if (message->number() == WM_CONNECTION_LOST)
                ++lost;
            else if (message->number() == WM_CONNECTION_RESTORED)
                ++restored;
            return true;
        }
        return QObject::event(event);
    }
};

class ConnectivityTest : public testing::Test {
protected:
    void SetUp() override
    {
        setNetworkPresence(&presence);
        setClock(&clock);
        ResetConnectionCache();
        setAppState(AppState::Running);
        monitor("OK");
        ClientConfig config;
        config.monitoring_url = server.url("/monitor");
        liveConfig().replace(config);
    }
    void TearDown() override
    {
        setNetworkPresence(nullptr);
        setClock(nullptr);
        ResetConnectionCache();
        setAppState(AppState::Starting);
        liveConfig().replace(ClientConfig());
    }
    void monitor(const std::string &answer, int status = 200) { server.serve("/monitor", answer, status); }
    int probes() const { return server.hits("/monitor"); }

    TestServer server;
    InternetSession session;
    FakePresence presence;
    ManualClock clock;
};

TEST_F(ConnectivityTest, OnlyAnExactOkCounts)
{
    struct Case {
        std::string answer;
        int status;
        bool systemUp;
        bool connected;
    };
    const Case cases[] = {
        { "OK", 200, true, true },
        { "OK\n", 200, true, false },
        { "ok", 200, true, false },
        { " OK", 200, true, false },
        { "", 200, true, false },
        { "OKAY", 200, true, false },
        { "OK", 404, true, false },
        { "OK", 200, false, false },
        { std::string("OK\0x", 4), 200, true, true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << '"' << c.answer << "\" " << c.status << (c.systemUp ? "" : " down"));
        monitor(c.answer, c.status);
        presence.up = c.systemUp;
        EXPECT_EQ(ProbeConnection(), c.connected);
    }
    EXPECT_EQ(server.lastHeader("/monitor", "Cache-Control"), "no-cache") << "the probe always reloads";
}

TEST_F(ConnectivityTest, OneProbeServesEveryCallerForTwoSeconds)
{
    struct Step {
        int advanceSeconds;
        int probes;
    };
    // The probe time is taken after each probe; a new probe happens only when now > probe time + 2.
    const Step steps[] = { { 0, 1 }, { 0, 1 }, { 1, 1 }, { 1, 1 }, { 1, 2 }, { 2, 2 }, { 1, 3 }, { 0, 3 } };
    int index = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(index++);
        clock.advanceMs(step.advanceSeconds * 1000);
        EXPECT_TRUE(IsConnected());
        EXPECT_EQ(probes(), step.probes);
    }
}

TEST_F(ConnectivityTest, CachedResultChangesOnlyAfterItsWindow)
{
    EXPECT_TRUE(IsConnected());
    monitor("maintenance");
    clock.advanceMs(2000);
    EXPECT_TRUE(IsConnected()) << "still within the window";
    clock.advanceMs(1000);
    EXPECT_FALSE(IsConnected());
    EXPECT_EQ(probes(), 2);
}

TEST_F(ConnectivityTest, ManyThreadsShareOneProbe)
{
    std::vector<std::thread> threads;
    std::atomic<int> connected { 0 };
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&connected] { connected += IsConnected() ? 1 : 0; });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(connected.load(), 8);
    EXPECT_EQ(probes(), 1);
}

TEST_F(ConnectivityTest, WaitForConnection)
{
    StopEvent stop;
    EXPECT_TRUE(WaitForConnection(stop, 10)) << "connected: true at once";

    monitor("down");
    clock.advanceMs(3000);
    stop.set();
    EXPECT_FALSE(WaitForConnection(stop, 10)) << "signalled while offline: false";

    // Offline first; the connection returns while the waiter sleeps between tests. The manual clock
    // keeps moving so that the waiter's tests are never answered from a stale cache entry.
    std::atomic<bool> done { false };
    std::thread restorer([this, &done] {
        while (probes() < 3 && !done)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        monitor("OK");
        while (!done) {
            clock.advanceMs(1000);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    clock.advanceMs(3000);
    EXPECT_TRUE(WaitForConnection(stop, 1));
    EXPECT_GE(probes(), 4);
    done = true;
    restorer.join();
}

TEST_F(ConnectivityTest, CheckerReportsLossUnlessAlreadyOffline)
{
    MainWindowStub window;
    ConnectionCheckerThread *checker = ConnectionCheckerThread::start(&window, 20);
    QThread *thread = checker->thread();
    monitor("down");

    setAppState(AppState::Offline);
    postMessage(checker, WM_CHECK_CONNECTION);
    postMessage(checker, WM_WATCH_CONNECTION);
    ASSERT_TRUE(waitUntil([&] { return checker->runningTimers() == 1; }));
    EXPECT_EQ(probes(), 0) << "offline: the check does not even probe";

    setAppState(AppState::Running);
    postMessage(checker, WM_CHECK_CONNECTION);
    ASSERT_TRUE(waitUntil([&] { return window.lost.load() == 1; }));

    postMessage(checker, WM_STOP_CHECKER);
    EXPECT_TRUE(thread->wait(5000));
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.lost.load(), 1);
    EXPECT_EQ(window.restored.load(), 0);
}

TEST_F(ConnectivityTest, RestoredOncePerRunningTimer)
{
    MainWindowStub window;
    ConnectionCheckerThread *checker = ConnectionCheckerThread::start(&window, 20);
    QThread *thread = checker->thread();
    monitor("down");
    postMessage(checker, WM_WATCH_CONNECTION);
    postMessage(checker, WM_WATCH_CONNECTION);
    ASSERT_TRUE(waitUntil([&] { return checker->runningTimers() == 2 && probes() >= 1; }));
    EXPECT_EQ(window.restored.load(), 0);

    monitor("OK");
    // The clock moves on while waiting, so a probe that was under way when the answer changed
    // cannot pin a stale result.
    ASSERT_TRUE(waitUntil([&] {
        clock.advanceMs(1000);
        return checker->runningTimers() == 0;
    }));
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.restored.load(), 2);

    // A later outage and watch gives exactly one more.
    monitor("down");
    clock.advanceMs(3000);
    postMessage(checker, WM_WATCH_CONNECTION);
    ASSERT_TRUE(waitUntil([&] { return checker->runningTimers() == 1; }));
    monitor("OK");
    ASSERT_TRUE(waitUntil([&] {
        clock.advanceMs(1000);
        return checker->runningTimers() == 0;
    }));
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.restored.load(), 3);
    EXPECT_EQ(window.lost.load(), 0);

    postMessage(checker, WM_STOP_CHECKER);
    EXPECT_TRUE(thread->wait(5000));
}

} // namespace
} // namespace tavrin
