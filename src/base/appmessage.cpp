// Posting numbered messages as Qt events.
#include "base/appmessage.h"

#include <QCoreApplication>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace tavrin {

namespace {

// Qt hands a posted event to the receiving thread under its own lock, which ThreadSanitizer cannot
// see in an uninstrumented Qt; these marks record that hand-over, so the message's fields written
// by the sender count as written before the receiver reads them or deletes the event.
void markPosted(const QEvent *event)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<QEvent *>(event));
#else
    Q_UNUSED(event);
#endif
}

void markReceived(const QEvent *event)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<QEvent *>(event));
#else
    Q_UNUSED(event);
#endif
}

} // namespace

AppMessage::AppMessage(MessageId number, qintptr wParam, qintptr lParam,
                       std::unique_ptr<MessagePayload> payload)
    : QEvent(static_cast<QEvent::Type>(number))
    , m_wParam(wParam)
    , m_lParam(lParam)
    , m_payload(std::move(payload))
{
}

AppMessage::~AppMessage()
{
    // Qt may delete an undelivered message on the receiver's thread without handing it to event().
    markReceived(this);
}

void postMessage(QObject *target, MessageId number, qintptr wParam, qintptr lParam,
                 std::unique_ptr<MessagePayload> payload)
{
    if (!target)
        return;
    auto *message = new AppMessage(number, wParam, lParam, std::move(payload));
    markPosted(message);
    QCoreApplication::postEvent(target, message);
}

AppMessage *asAppMessage(QEvent *event)
{
    if (!event)
        return nullptr;
    markReceived(event);
    if (event->type() < QEvent::User)
        return nullptr;
    return dynamic_cast<AppMessage *>(event);
}

} // namespace tavrin
