// Stands in for a window that threads post messages to: records each one, in order, on arrival.
#pragma once

#include "base/appmessage.h"

#include <QCoreApplication>
#include <QObject>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

namespace tavrin {

// Readable failure messages for message numbers.
inline void PrintTo(MessageId number, std::ostream *os)
{
    *os << "message " << int(number);
}

namespace test {

class MessageRecorder : public QObject {
public:
    struct Seen {
        MessageId number;
        qintptr wParam;
    };
    std::vector<Seen> seen;
    // Called on arrival, to note what else was true at that moment.
    std::function<void(const AppMessage &)> onMessage;

    int count(MessageId number) const
    {
        return int(
            std::count_if(seen.begin(), seen.end(), [number](const Seen &s) { return s.number == number; }));
    }
    std::vector<MessageId> numbers() const
    {
        std::vector<MessageId> result;
        for (const Seen &s : seen)
            result.push_back(s.number);
        return result;
    }
    // Delivers what was posted so far.
    void drain() { QCoreApplication::sendPostedEvents(this); }

protected:
    bool event(QEvent *event) override
    {
        AppMessage *message = asAppMessage(event);
        if (!message)
            return QObject::event(event);
        seen.push_back({ message->number(), message->wParam() });
        if (onMessage)
            onMessage(*message);
        return true;
    }
};

} // namespace test
} // namespace tavrin
