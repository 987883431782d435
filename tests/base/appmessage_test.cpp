// Messages between threads: number, parameters, payload ownership, null targets; the stop event.
#include "base/appmessage.h"
#include "base/stopevent.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <thread>

namespace tavrin {
namespace {

struct Receiver : QObject { // keeps what came, asking for the payload as another type first (it stays)
    bool event(QEvent *e) override
    {
        if (AppMessage *m = asAppMessage(e))
            got = { m->number(), m->wParam(), m->lParam(), m->takePayloadAs<int>(),
                    m->takePayloadAs<std::shared_ptr<int>>() };
        return asAppMessage(e) || QObject::event(e);
    }
    std::tuple<MessageId, qintptr, qintptr, std::optional<int>, std::optional<std::shared_ptr<int>>> got {};
};

TEST(AppMessage, CarriesNumberParametersAndPayloadAcrossThreadsOrFreesItForNoTarget)
{
    Receiver receiver;
    const auto token = std::make_shared<int>(42); // its use count tells who holds it
    std::jthread([&] { postMessage(&receiver, WM_NEWS_FOR_ALERTS, 7, -3, makePayload(token)); });
    ASSERT_TRUE(test::waitUntil([&] { return std::get<4>(receiver.got).has_value(); }));
    EXPECT_EQ(receiver.got, std::tuple(WM_NEWS_FOR_ALERTS, 7, -3, std::nullopt, token));
    postMessage(nullptr, WM_ALERTS_ADD, 0, 0, makePayload(token)); // to no one: freed at once
    EXPECT_EQ(token.use_count(), 2); // both messages are gone: only the test and the receiver hold it
}

TEST(StopEvent, WaitTimesOutOrSeesTheSignalOnce)
{
    StopEvent stop;
    stop.set();
    stop.reset(); // the pending signal is cleared: the wait times out
    EXPECT_FALSE(stop.isSet() || stop.wait(10));
    std::jthread setter([&] { stop.set(); });
    EXPECT_TRUE(stop.wait(5000));
    EXPECT_FALSE(stop.isSet() || stop.wait(0)); // seen once, then reset
}

} // namespace
} // namespace tavrin
