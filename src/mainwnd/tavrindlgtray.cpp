// The main window's side of the notification area: clicks on the icon, its menu, and where it is.
#include "mainwnd/tavrindlg.h"

#include "base/appmessage.h"
#include "tray/traylogic.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace tavrin {

bool CTavrinDlg::trayAvailable() const
{
    return m_trayAvailable();
}

void CTavrinDlg::OnTrayNotify(QSystemTrayIcon::ActivationReason reason)
{
    switch (ActionForTrayClick(appState(), TrayClickFrom(reason))) {
    case TrayClickAction::ShowWindow:
        ShowMainWindow();
        break;
    case TrayClickAction::ShowMenu:
        ShowTrayMenu();
        break;
    case TrayClickAction::Nothing:
        break;
    }
}

void CTavrinDlg::ShowTrayMenu()
{
    if (exiting())
        return;
    const TrayMenuState state = MenuStateFor(appState(), isVisible() && !isMinimized());
    QMenu menu(this);
    const auto add = [&](MessageId id, const QString &text, bool enabled) {
        QAction *action = menu.addAction(text);
        action->setEnabled(enabled);
        // Posted, so the command runs once the menu has closed.
        connect(action, &QAction::triggered, this, [this, id] { postMessage(this, id); });
    };
    add(ID_ABOUT, QStringLiteral("Acerca de ..."), state.aboutEnabled);
    menu.addSeparator();
    add(ID_SHOW_HIDE, state.showHideText, state.showHideEnabled);
    add(ID_PREFERENCES, QStringLiteral("Preferencias ..."), state.preferencesEnabled);
    menu.addSeparator();
    add(ID_EXIT, QStringLiteral("&Salir"), true);
    activateWindow();
    menu.exec(QCursor::pos());
}

QRect CTavrinDlg::GetTrayRect() const
{
    if (m_tray && !m_tray->geometry().isEmpty())
        return m_tray->geometry();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? TrayRectFallback(screen->availableGeometry()) : QRect();
}

} // namespace tavrin
