// Stands in for a window that threads post messages to: records each one, in order, on arrival.
#pragma once

#include "base/appmessage.h"
#include "support/waituntil.h"

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

namespace tavrin {

inline void PrintTo(MessageId number, std::ostream *os) // readable failure messages
{
    *os << "message " << int(number);
}

namespace test {

class MessageRecorder : public QObject {
public:
    std::vector<MessageId> numbers; // in order of arrival
    std::vector<qintptr> wParams; // of the same messages
    std::function<void()> onMessage = [] {}; // called on arrival, to note what else was true then
    std::function<void(AppMessage &)> takePayload = [](AppMessage &) {}; // called first, to take the payload

    int count(MessageId number) const { return int(std::ranges::count(numbers, number)); }
    void clear() { numbers.clear(), wParams.clear(); }
    void drain() { QCoreApplication::sendPostedEvents(this); } // delivers what was posted so far
    // Waits for a condition while events are delivered, then delivers what was posted until it held.
    template <typename Predicate> bool waitFor(Predicate done, int timeoutMs = 15000)
    {
        return waitUntil([&] { return done() && (drain(), true); }, timeoutMs);
    }
    bool event(QEvent *event) override
    {
        const AppMessage *message = asAppMessage(event);
        if (!message)
            return QObject::event(event);
        takePayload(*asAppMessage(event));
        numbers.push_back(message->number());
        wParams.push_back(message->wParam());
        onMessage();
        return true;
    }
};

} // namespace test
} // namespace tavrin
