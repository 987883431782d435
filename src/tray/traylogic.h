// PLACEHOLDER: pure tray decisions (replaced by the pure-logic branch).
#pragma once

#include "base/appstate.h"

#include <QRect>
#include <QString>
#include <QSystemTrayIcon>

namespace tavrin {

inline QString TrayTooltipText(const QString &text)
{
    return text.left(127);
}

enum class TrayClick { Left, Double, Right, Other };
enum class TrayClickAction { Nothing, ShowWindow, ShowMenu };

inline TrayClick TrayClickFrom(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayClick::Left;
    case QSystemTrayIcon::DoubleClick:
        return TrayClick::Double;
    case QSystemTrayIcon::Context:
        return TrayClick::Right;
    default:
        return TrayClick::Other;
    }
}

inline TrayClickAction ActionForTrayClick(AppState state, TrayClick click)
{
    if (state == AppState::Exiting)
        return TrayClickAction::Nothing;
    if (click == TrayClick::Right)
        return TrayClickAction::ShowMenu;
    if ((click == TrayClick::Left || click == TrayClick::Double)
        && (state == AppState::Running || state == AppState::Refreshing))
        return TrayClickAction::ShowWindow;
    return TrayClickAction::Nothing;
}

struct TrayMenuState {
    bool aboutEnabled = true;
    bool showHideEnabled = true;
    bool preferencesEnabled = true;
    QString showHideText = QStringLiteral("Mostrar");
};

inline TrayMenuState MenuStateFor(AppState state, bool windowVisible)
{
    TrayMenuState m;
    if (state == AppState::Starting || state == AppState::FirstLoad || state == AppState::Updating)
        m.aboutEnabled = m.showHideEnabled = m.preferencesEnabled = false;
    if ((state == AppState::Running || state == AppState::Refreshing) && windowVisible)
        m.showHideText = QStringLiteral("Ocultar");
    if (state == AppState::Offline)
        m.showHideEnabled = false;
    return m;
}

inline QRect TrayRectFallback(const QRect &workArea)
{
    return QRect(QPoint(workArea.right() - 149, workArea.bottom() - 29), workArea.bottomRight());
}

} // namespace tavrin
