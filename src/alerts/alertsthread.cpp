// Dispatches the alerts' messages to their queue; creates and ends the pop-up.
#include "alerts/alertsthread.h"

#include "alerts/alertsdlg.h"
#include "base/appmessage.h"

#include <QGuiApplication>

namespace tavrin {

CAlertsThread::CAlertsThread(const AppServices &services, DesktopNotifier notifier, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_notifier(std::move(notifier))
{
}

CAlertsThread::~CAlertsThread()
{
    m_queue.reset();
    m_popup.reset();
}

bool CAlertsThread::InitInstance()
{
    if (CanPlaceOwnWindows(QGuiApplication::platformName())) {
        auto window = std::make_unique<CAlertsDlg>(m_services, this);
        m_window = window.get();
        m_popup = std::move(window);
    } else {
        m_popup = std::make_unique<AlertNotifications>(m_services.core.config, m_notifier, this);
    }
    m_queue = std::make_unique<AlertsQueue>(m_services.core.config, *m_popup);
    return true;
}

bool CAlertsThread::event(QEvent *event)
{
    AppMessage *message = asAppMessage(event);
    if (!message)
        return QObject::event(event);
    // Before InitInstance and after WM_ALERTS_QUIT every message is dropped (a payload with it).
    if (!m_queue)
        return true;
    switch (message->number()) {
    case WM_ALERTS_ADD:
        m_queue->OnAdd(message->takePayloadAs<NewsSet>());
        break;
    case WM_ALERTS_CLOSE:
        m_queue->OnClose();
        break;
    case WM_ALERTS_QUIT:
        m_queue.reset();
        m_window = nullptr;
        m_popup.reset();
        break;
    case WM_ALERTS_PAGE_READY:
        m_queue->OnPageReady();
        break;
    case WM_ALERTS_FINISHED:
        m_queue->OnFinished();
        break;
    default:
        break;
    }
    return true;
}

} // namespace tavrin
