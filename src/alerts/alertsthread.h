// The alerts actor: receives the alerts' messages, keeps their queue and drives the pop-up.
#pragma once

#include "alerts/alertnotifications.h"
#include "alerts/alertsqueue.h"
#include "ui/services.h"

#include <QObject>

#include <memory>

namespace tavrin {

class CAlertsDlg;

// Lives on the GUI thread, where widgets must, but is reached only through posted messages
// (WM_ALERTS_ADD with a NewsSet payload, CLOSE, QUIT, PAGE_READY, FINISHED).
class CAlertsThread : public QObject {
public:
    // The services outlive the object; `notifier` shows the desktop notifications where pop-ups cannot be
    // placed.
    CAlertsThread(const AppServices &services, DesktopNotifier notifier, QObject *parent = nullptr);
    ~CAlertsThread() override;

    // Creates the pop-up: the window where the session lets it place itself, else notifications.
    bool InitInstance();

    const AlertsQueue *queue() const { return m_queue.get(); }
    // The pop-up window; null before InitInstance, after WM_ALERTS_QUIT, or when notifications stand in.
    CAlertsDlg *popupWindow() const { return m_window; }

protected:
    bool event(QEvent *event) override;

private:
    AppServices m_services;
    DesktopNotifier m_notifier;
    std::unique_ptr<AlertsPopup> m_popup;
    CAlertsDlg *m_window = nullptr;
    std::unique_ptr<AlertsQueue> m_queue;
};

} // namespace tavrin
