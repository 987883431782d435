// Messages between threads: numbers, parameters, payload ownership, null targets; the stop event.
#include "base/appmessage.h"
#include "base/stopevent.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <thread>

namespace tavrin {
namespace {

// The payload: a shared token, whose use count tells who still holds it.
using Token = std::shared_ptr<int>;

// Keeps what the last message brought; asking for another type first must leave the payload in place.
class Receiver : public QObject {
public:
    bool event(QEvent *e) override
    {
        AppMessage *m = asAppMessage(e);
        if (!m)
            return QObject::event(e);
        received = { m->number(), m->wParam(), m->lParam(), m->takePayloadAs<int>().has_value() };
        token = m->takePayloadAs<Token>();
        return true;
    }
    std::optional<std::tuple<MessageId, qintptr, qintptr, bool>> received;
    std::optional<Token> token;
};

TEST(AppMessage, DeliversNumberParametersAndPayloadFromAnotherThread)
{
    Receiver receiver;
    auto token = std::make_shared<int>(42);
    const std::weak_ptr<int> alive = token;
    std::thread([&] {
        postMessage(&receiver, WM_NEWS_FOR_ALERTS, 7, -3, makePayload(std::move(token)));
    }).join();
    ASSERT_TRUE(test::waitUntil([&] { return receiver.received.has_value(); }));
    EXPECT_EQ(*receiver.received, std::tuple(WM_NEWS_FOR_ALERTS, 7, -3, false));
    ASSERT_TRUE(receiver.token.has_value());
    EXPECT_EQ(**receiver.token, 42);
    // The message is gone; the receiver alone holds the payload now.
    EXPECT_EQ(alive.use_count(), 1);
    receiver.token.reset();
    EXPECT_TRUE(alive.expired());
}

TEST(AppMessage, NullTargetFreesThePayload)
{
    auto token = std::make_shared<int>(1);
    const std::weak_ptr<int> alive = token;
    postMessage(nullptr, WM_ALERTS_ADD, 0, 0, makePayload(std::move(token)));
    EXPECT_TRUE(alive.expired());
}

TEST(StopEvent, WaitTimesOutThenSeesSignalOnceAndResets)
{
    StopEvent stop;
    EXPECT_FALSE(stop.wait(10));
    std::thread setter([&] { stop.set(); });
    EXPECT_TRUE(stop.wait(5000));
    setter.join();
    EXPECT_FALSE(stop.isSet());
    EXPECT_FALSE(stop.wait(0));
    stop.set();
    stop.reset();
    EXPECT_FALSE(stop.isSet());
}

} // namespace
} // namespace tavrin
