// The program's icon in the notification area: its picture, tooltip and balloons, and the clicks on it.
#pragma once

#include "config/texts.h"

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>

#include <functional>
#include <optional>

namespace tavrin {

enum class BalloonIcon { Information = 1, Warning = 2 };

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // How long a balloon stays.
    static constexpr int kBalloonMs = 15000;

    // Says whether the desktop has a notification area now.
    using Availability = std::function<bool()>;

    // Adds the icon to the notification area with that picture and tooltip.
    TrayIcon(const QIcon &icon, const QString &tooltip, Availability available, QObject *parent = nullptr);
    // Removes the icon.
    ~TrayIcon() override;

    // Each returns whether the notification area took the change (false without one).
    bool SetTooltip(const QString &text);
    bool SetIcon(const QIcon &icon);
    bool ShowBalloon(const QString &title, const QString &text, BalloonIcon icon);
    bool ShowBalloonById(const ClientConfig &config, TextId title, TextId text, BalloonIcon icon);
    bool Remove();

    // Whether the desktop has a notification area now.
    bool Available() const { return m_available(); }
    // The icon's place on the screen where the desktop tells it; empty otherwise.
    QRect geometry() const { return m_icon.geometry(); }
    QString tooltip() const { return m_tooltip; }
    QIcon icon() const { return m_icon.icon(); }
    bool isShown() const { return m_icon.isVisible(); }
    struct Balloon {
        QString title;
        QString text;
        BalloonIcon icon;
    };
    // The last balloon shown, if any.
    const std::optional<Balloon> &lastBalloon() const { return m_lastBalloon; }

signals:
    // A click on the icon, as the desktop reports it.
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon m_icon;
    Availability m_available;
    QString m_tooltip;
    std::optional<Balloon> m_lastBalloon;
};

} // namespace tavrin
