// The connectivity thread: a loss reported unless already offline, each watch's return reported once.
#include "base/appstate.h"
#include "engine/connectionchecker.h"
#include "support/messagerecorder.h"
#include "support/services.h"
#include "support/testserver.h"

#include <QScopeGuard>
#include <QThread>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(ConnectionChecker, ReportsALossUnlessOfflineAndEachWatchReportsTheReturnOnce)
{
    test::TestServer server; // the monitoring address answers 404 until it is served
    test::TestServices<test::FastClock> services { 1000, 3 }; // every test of the connection probes
    ClientConfig config;
    config.monitoring_url = server.url("/monitor");
    services.config.replace(config);
    test::MessageRecorder window;
    ConnectionCheckerThread *checker = ConnectionCheckerThread::start(services.connection, &window, 20);
    const auto stopChecker = qScopeGuard([&, thread = checker->thread()] {
        postMessage(checker, WM_STOP_CHECKER);
        EXPECT_TRUE(thread->wait(5000)) << "the stop message ends the thread";
    });

    const auto nothing = [] {}; // a blocking call queued after a check returns once the check is done
    for (const AppState state : { AppState::Offline, AppState::Starting }) {
        setAppState(state);
        postMessage(checker, WM_CHECK_CONNECTION);
        QMetaObject::invokeMethod(checker, nothing, Qt::BlockingQueuedConnection);
    }
    EXPECT_EQ(server.hits("/monitor"), 1) << "offline, the check does not even probe";

    // Two watches, a later one, and one started while connected, whose first poll is the only probe.
    int restored = 0;
    for (const auto &[watches, offline] : { std::pair(2, true), { 1, true }, { 1, false } }) {
        server.serve("/monitor", offline ? "down" : "OK");
        const int before = server.hits("/monitor");
        for (int i = 0; i < watches; ++i)
            postMessage(checker, WM_WATCH_CONNECTION);
        if (offline) {
            ASSERT_TRUE(window.waitFor(
                [&] { return checker->runningTimers() == watches && server.hits("/monitor") > before; }));
            EXPECT_EQ(window.count(WM_CONNECTION_RESTORED), restored) << "nothing while still offline";
            server.serve("/monitor", "OK");
        }
        restored += watches;
        ASSERT_TRUE(window.waitFor([&] {
            return checker->runningTimers() == 0 && window.count(WM_CONNECTION_RESTORED) >= restored;
        })) << "each timer stops once the connection is back";
        EXPECT_EQ(window.count(WM_CONNECTION_RESTORED), restored) << "once per timer";
        EXPECT_TRUE(offline || server.hits("/monitor") == before + 1) << "no timer is left to probe";
    }
    EXPECT_EQ(window.count(WM_CONNECTION_LOST), 1) << "a loss is reported once; a watch never reports one";
}

} // namespace
} // namespace tavrin
