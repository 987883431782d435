// Messages between threads: numbers, parameters, payload ownership, null targets.
#include "base/appmessage.h"
#include "base/messages.h"
#include "base/stopevent.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>

namespace tavrin {
namespace {

struct CountedPayload : MessagePayload {
    explicit CountedPayload(int *alive)
        : m_alive(alive)
    {
        ++*m_alive;
    }
    ~CountedPayload() override { --*m_alive; }
    int *m_alive;
};

class Receiver : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (auto *m = asAppMessage(e)) {
            numbers.push_back(m->number());
            lastW = m->wParam();
            kept = m->takePayloadAs<CountedPayload>();
            return true;
        }
        return QObject::event(e);
    }
    std::vector<int> numbers;
    qintptr lastW = 0;
    std::unique_ptr<CountedPayload> kept;
};

TEST(AppMessage, DeliversNumberParametersAndPayloadFromAnotherThread)
{
    Receiver receiver;
    int alive = 0;
    std::thread sender(
        [&] { postMessage(&receiver, WM_NEWS_FOR_ALERTS, 7, 0, std::make_unique<CountedPayload>(&alive)); });
    sender.join();
    ASSERT_TRUE(test::waitUntil([&] { return !receiver.numbers.empty(); }));
    EXPECT_EQ(receiver.numbers.front(), WM_NEWS_FOR_ALERTS);
    EXPECT_EQ(receiver.lastW, 7);
    ASSERT_TRUE(receiver.kept);
    EXPECT_EQ(alive, 1);
    receiver.kept.reset();
    EXPECT_EQ(alive, 0);
}

TEST(AppMessage, NullTargetFreesThePayload)
{
    int alive = 0;
    postMessage(nullptr, WM_ALERTS_ADD, 0, 0, std::make_unique<CountedPayload>(&alive));
    EXPECT_EQ(alive, 0);
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
}

} // namespace
} // namespace tavrin
