// The tray's decisions as plain values.
#include "tray/traylogic.h"

namespace tavrin {

namespace {

// The window's pages are not there yet, or an update is taking the program over.
bool startingOrUpdating(AppState state)
{
    return state == AppState::Starting || state == AppState::FirstLoad || state == AppState::Updating;
}

bool showsPages(AppState state)
{
    return state == AppState::Running || state == AppState::Refreshing;
}

} // namespace

TrayMenuState MenuStateFor(AppState state, bool windowVisible)
{
    TrayMenuState menu;
    if (state == AppState::Exiting)
        return menu;
    const bool grayed = startingOrUpdating(state);
    const bool hide = showsPages(state) && windowVisible;
    menu.shown = true;
    menu.items = {
        { ID_ABOUT, QStringLiteral("Acerca de ..."), !grayed },
        { std::nullopt, QString(), true },
        { ID_SHOW_HIDE, hide ? QStringLiteral("Ocultar") : QStringLiteral("Mostrar"),
          !grayed && state != AppState::Offline },
        { ID_PREFERENCES, QStringLiteral("Preferencias ..."), !grayed },
        { std::nullopt, QString(), true },
        { ID_EXIT, QStringLiteral("&Salir"), true },
    };
    return menu;
}

TrayClickAction ActionForTrayClick(AppState state, TrayClick click)
{
    if (state == AppState::Exiting)
        return TrayClickAction::Nothing;
    switch (click) {
    case TrayClick::Left:
    case TrayClick::Double:
        return showsPages(state) ? TrayClickAction::ShowWindow : TrayClickAction::Nothing;
    case TrayClick::Right:
        return TrayClickAction::OpenMenu;
    case TrayClick::Other:
        break;
    }
    return TrayClickAction::Nothing;
}

QRect TrayRectFallback(const QRect &workArea)
{
    // Exclusive right and bottom, as the strip is measured: [right - 150, right) x [bottom - 30, bottom).
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    return QRect(QPoint(right - 150, bottom - 30), QPoint(right - 1, bottom - 1));
}

QString TrayTooltipText(const QString &text)
{
    if (text.size() <= kTrayTooltipLength)
        return text;
    qsizetype length = kTrayTooltipLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

} // namespace tavrin
