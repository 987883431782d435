// Batches of headlines as desktop notifications, and which sessions need them.
#include "alerts/alertnotifications.h"

#include "alerts/slide.h"
#include "base/appmessage.h"
#include "base/version.h"
#include "config/alertsseconds.h"
#include "config/liveconfig.h"
#include "settings/settings.h"

namespace tavrin {

AlertNotifications::AlertNotifications(LiveConfig &config, DesktopNotifier notifier, QObject *notify)
    : m_config(config)
    , m_notifier(std::move(notifier))
    , m_notify(notify)
{
    m_displayTimer.setSingleShot(true);
    connect(&m_displayTimer, &QTimer::timeout, this, [this] { postMessage(m_notify, WM_ALERTS_FINISHED); });
}

void AlertNotifications::ShowAlertBatch(const NewsSet &batch)
{
    QStringList lines;
    for (const NewsRecord &record : batch)
        lines.append(record.title);
    if (m_notifier)
        m_notifier(AppName(), lines.join(QLatin1Char('\n')));
    postMessage(m_notify, WM_ALERTS_PAGE_READY);
}

void AlertNotifications::StartSlideIn()
{
    m_displayTimer.start(DisplayTimeMs(AlertsDisplaySeconds(*m_config.snapshot())));
}

void AlertNotifications::HidePopup()
{
    m_displayTimer.stop();
}

bool CanPlaceOwnWindows(const QString &platformName)
{
    return !platformName.startsWith(QLatin1String("wayland"));
}

QByteArray PreferredPlatform(const QByteArray &chosen, const QByteArray &sessionType,
                             const QByteArray &waylandDisplay, const QByteArray &x11Display)
{
    const bool wayland = sessionType == "wayland" || !waylandDisplay.isEmpty();
    if (!chosen.isEmpty() || !wayland || x11Display.isEmpty())
        return QByteArray();
    return QByteArrayLiteral("xcb");
}

} // namespace tavrin
