// The connectivity thread: a loss reported unless already offline, each watch's return reported once.
#include "base/appmessage.h"
#include "base/appstate.h"
#include "engine/connectionchecker.h"
#include "support/messagerecorder.h"
#include "support/services.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <QThread>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using test::waitUntil;

class ConnectionCheckerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ClientConfig config;
        config.monitoring_url = server.url("/monitor");
        services.config.replace(config);
        answer("down");
        checker = ConnectionCheckerThread::start(services.connection, &window, 20);
        thread = checker->thread();
    }
    void TearDown() override
    {
        postMessage(checker, WM_STOP_CHECKER);
        EXPECT_TRUE(thread->wait(5000)) << "the stop message ends the thread";
    }
    void answer(const std::string &text) { server.serve("/monitor", text); }
    int probes() const { return server.hits("/monitor"); }
    // Watches the connection: the answer is OK from the next probe on, and the watch's timer ends.
    void watchUntilRestored(int watches)
    {
        for (int i = 0; i < watches; ++i)
            postMessage(checker, WM_WATCH_CONNECTION);
        const int before = probes();
        ASSERT_TRUE(waitUntil([&] { return checker->runningTimers() == watches && probes() > before; }));
        window.drain();
        EXPECT_EQ(window.count(WM_CONNECTION_RESTORED), restored) << "nothing while still offline";
        answer("OK");
        ASSERT_TRUE(waitUntil([&] { return checker->runningTimers() == 0; }));
        window.drain();
        restored += watches;
        EXPECT_EQ(window.count(WM_CONNECTION_RESTORED), restored) << "once per running timer";
        answer("down");
    }

    test::TestServer server;
    // Each reading of the clock is 3 seconds after the last: every test of the connection probes.
    test::TestServices<test::FastClock> services { 1000, 3 };
    test::MessageRecorder window;
    ConnectionCheckerThread *checker = nullptr;
    QThread *thread = nullptr;
    int restored = 0;
};

TEST_F(ConnectionCheckerTest, ReportsALossUnlessOfflineAndEachWatchReportsTheReturnOnce)
{
    setAppState(AppState::Offline);
    postMessage(checker, WM_CHECK_CONNECTION);
    auto handled = std::make_shared<std::atomic<bool>>(false); // then the check posted before is done
    QMetaObject::invokeMethod(
        checker, [handled] { *handled = true; }, Qt::QueuedConnection);
    const bool checked = waitUntil([&] { return handled->load(); });
    setAppState(AppState::Starting);
    ASSERT_TRUE(checked);
    EXPECT_EQ(probes(), 0) << "offline: the check does not even probe";
    postMessage(checker, WM_CHECK_CONNECTION);
    ASSERT_TRUE(waitUntil([&] { return window.count(WM_CONNECTION_LOST) == 1; }));

    watchUntilRestored(2);
    watchUntilRestored(1); // a later outage and watch gives exactly one more
    // Started while connected: one report at the first poll, the only probe, since no timer is left.
    answer("OK");
    const int before = probes();
    postMessage(checker, WM_WATCH_CONNECTION);
    ASSERT_TRUE(waitUntil([&] { return window.count(WM_CONNECTION_RESTORED) == restored + 1; }));
    EXPECT_EQ(probes() - before, 1);
    EXPECT_EQ(window.count(WM_CONNECTION_LOST), 1) << "a loss is reported once; a watch never reports one";
}

} // namespace
} // namespace tavrin
