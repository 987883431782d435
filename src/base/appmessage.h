// The one event that carries a numbered message between threads, with an optional owned payload.
#pragma once

#include "base/messages.h"

#include <QEvent>
#include <QObject>

#include <memory>
#include <optional>

namespace tavrin {

// Base of anything that travels with a message; the receiver owns it once posted.
class MessagePayload {
public:
    virtual ~MessagePayload() = default;
};

// A plain value travelling with a message, so the value's own type needs to know nothing of messages.
template <typename T> class Payload : public MessagePayload {
public:
    explicit Payload(T value)
        : m_value(std::move(value))
    {
    }
    T take() { return std::move(m_value); }

private:
    T m_value;
};

template <typename T> std::unique_ptr<MessagePayload> makePayload(T value)
{
    return std::make_unique<Payload<T>>(std::move(value));
}

class AppMessage : public QEvent {
public:
    AppMessage(MessageId number, qintptr wParam = 0, qintptr lParam = 0,
               std::unique_ptr<MessagePayload> payload = nullptr);
    ~AppMessage() override;

    MessageId number() const { return static_cast<MessageId>(type()); }
    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }

    // Hands the payload to the receiver; null when there was none or it was taken already.
    std::unique_ptr<MessagePayload> takePayload() { return std::move(m_payload); }

    // The value sent with makePayload<T>; nothing when there was none, it was taken, or it is another type.
    template <typename T> std::optional<T> takePayloadAs()
    {
        auto *typed = dynamic_cast<Payload<T> *>(m_payload.get());
        if (!typed)
            return std::nullopt;
        std::optional<T> value(typed->take());
        m_payload.reset();
        return value;
    }

private:
    qintptr m_wParam;
    qintptr m_lParam;
    std::unique_ptr<MessagePayload> m_payload;
};

// Posts a message to target's thread; a null target posts nothing (the payload is freed).
void postMessage(QObject *target, MessageId number, qintptr wParam = 0, qintptr lParam = 0,
                 std::unique_ptr<MessagePayload> payload = nullptr);

// True when the event is an AppMessage (its type lies in the range used by message numbers).
AppMessage *asAppMessage(QEvent *event);

} // namespace tavrin
