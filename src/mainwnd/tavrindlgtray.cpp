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
    const TrayClick click = reason == QSystemTrayIcon::Trigger ? TrayClick::Left
        : reason == QSystemTrayIcon::DoubleClick               ? TrayClick::Double
        : reason == QSystemTrayIcon::Context                   ? TrayClick::Right
                                                               : TrayClick::Other;
    switch (ActionForTrayClick(appState(), click)) {
    case TrayClickAction::ShowWindow:
        ShowMainWindow();
        break;
    case TrayClickAction::OpenMenu:
        ShowTrayMenu();
        break;
    case TrayClickAction::Nothing:
        break;
    }
}

void CTavrinDlg::ShowTrayMenu()
{
    const TrayMenuState state = MenuStateFor(appState(), isVisible() && !isMinimized());
    if (!state.shown)
        return;
    QMenu menu(this);
    for (const TrayMenuItem &item : state.items) {
        if (!item.command) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(item.text);
        action->setEnabled(item.enabled);
        // Posted, so the command runs once the menu has closed.
        connect(action, &QAction::triggered, this, [this, id = *item.command] { postMessage(this, id); });
    }
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
