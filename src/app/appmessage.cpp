// Posting numbered messages as Qt events.
#include "app/appmessage.h"

#include <QCoreApplication>

namespace tavrin {


AppMessage::AppMessage(int number, qintptr wParam, qintptr lParam, std::unique_ptr<MessagePayload> payload)
    : QEvent(static_cast<QEvent::Type>(number))
    , m_wParam(wParam)
    , m_lParam(lParam)
    , m_payload(std::move(payload))
{
}

void postMessage(QObject *target, int number, qintptr wParam, qintptr lParam,
                 std::unique_ptr<MessagePayload> payload)
{
    if (!target)
        return;
    QCoreApplication::postEvent(target, new AppMessage(number, wParam, lParam, std::move(payload)));
}

AppMessage *asAppMessage(QEvent *event)
{
    if (!event || event->type() < QEvent::User)
        return nullptr;
    return dynamic_cast<AppMessage *>(event);
}

} // namespace tavrin
