// The program's icon in the notification area.
#include "tray/trayicon.h"

#include "tray/traylogic.h"

namespace tavrin {

TrayIcon::TrayIcon(const QIcon &icon, const QString &tooltip, Availability available, QObject *parent)
    : QObject(parent)
    , m_available(std::move(available))
{
    m_icon.setIcon(icon);
    SetTooltip(tooltip);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
    m_icon.show();
}

TrayIcon::~TrayIcon()
{
    Remove();
}

bool TrayIcon::SetTooltip(const QString &text)
{
    m_tooltip = TrayTooltipText(text);
    m_icon.setToolTip(m_tooltip);
    return Available();
}

bool TrayIcon::SetIcon(const QIcon &icon)
{
    m_icon.setIcon(icon);
    return Available();
}

bool TrayIcon::ShowBalloon(const QString &title, const QString &text, BalloonIcon icon)
{
    if (!Available() || !m_icon.isVisible())
        return false;
    m_lastBalloon = Balloon { title, text, icon };
    m_icon.showMessage(title, text,
                       icon == BalloonIcon::Warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information,
                       kBalloonMs);
    return true;
}

bool TrayIcon::ShowBalloonById(const ClientConfig &config, TextId title, TextId text, BalloonIcon icon)
{
    return ShowBalloon(GetText(config, title), GetText(config, text), icon);
}

bool TrayIcon::Remove()
{
    const bool shown = m_icon.isVisible();
    m_icon.hide();
    return shown;
}

} // namespace tavrin
