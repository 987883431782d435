// The one event that carries a numbered message between threads, with an optional owned payload.
#pragma once

#include <QEvent>
#include <QObject>

#include <memory>

namespace tavrin {

// Base of anything that travels with a message; the receiver owns it once posted.
class MessagePayload {
public:
    virtual ~MessagePayload() = default;
};

class AppMessage : public QEvent {
public:
    AppMessage(int number, qintptr wParam = 0, qintptr lParam = 0,
               std::unique_ptr<MessagePayload> payload = nullptr);
    ~AppMessage() override;

    int number() const { return static_cast<int>(type()); }
    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }

    // Hands the payload to the receiver; null when there was none or it was taken already.
    std::unique_ptr<MessagePayload> takePayload() { return std::move(m_payload); }

    template <typename T> std::unique_ptr<T> takePayloadAs()
    {
        auto *typed = dynamic_cast<T *>(m_payload.get());
        if (!typed)
            return nullptr;
        m_payload.release();
        return std::unique_ptr<T>(typed);
    }

private:
    qintptr m_wParam;
    qintptr m_lParam;
    std::unique_ptr<MessagePayload> m_payload;
};

// Posts a message to target's thread; a null target posts nothing (the payload is freed).
void postMessage(QObject *target, int number, qintptr wParam = 0, qintptr lParam = 0,
                 std::unique_ptr<MessagePayload> payload = nullptr);

// True when the event is an AppMessage (its type lies in the range used by message numbers).
AppMessage *asAppMessage(QEvent *event);

} // namespace tavrin
