// Alerts as desktop notifications, for sessions where a window cannot place itself beside the taskbar.
#pragma once

#include "alerts/alertsqueue.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

namespace tavrin {

class LiveConfig;

// Shows a notification with that title and text (the tray's balloon in the program).
using DesktopNotifier = std::function<void(const QString &title, const QString &text)>;

// Stands in for the pop-up with the same messages: a batch is shown at once as one notification (one line
// per headline, newest first), and is over after the user's display time, so batches keep their pace.
class AlertNotifications : public QObject, public AlertsPopup {
public:
    AlertNotifications(LiveConfig &config, DesktopNotifier notifier, QObject *notify);

    void ShowAlertBatch(const NewsSet &batch) override;
    void StartSlideIn() override;
    void HidePopup() override;

private:
    LiveConfig &m_config;
    DesktopNotifier m_notifier;
    QPointer<QObject> m_notify;
    QTimer m_displayTimer;
};

// Whether this session lets the program place its own windows (not on a native Wayland connection).
bool CanPlaceOwnWindows(const QString &platformName);

// The platform plugin to ask for before the application starts: "xcb" on a Wayland session that offers
// XWayland when the user chose none, else "" (Qt's own choice).
QByteArray PreferredPlatform(const QByteArray &chosen, const QByteArray &sessionType,
                             const QByteArray &waylandDisplay, const QByteArray &x11Display);

} // namespace tavrin
