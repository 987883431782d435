// The notification-area icon: its menu and clicks per state, its strip and tooltip, the first-close hint.
#include "mainwnd/tavrindlg.h"
#include "settings/settings.h"
#include "support/appservices.h"
#include "tray/traylogic.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using enum AppState;

TEST(TrayLogic, MenuAndClicksPerStateTrayStripAndTooltip)
{
    // Per state, the menu with the window hidden, then visible: each entry's first letter, lower-case when
    // grayed ("_" for no menu); then what a left, double, right and other click does (Window, Menu, nothing).
    QString dump;
    for (const AppState state : { Starting, FirstLoad, Running, Refreshing, Offline, Updating, Exiting }) {
        for (const TrayMenuState &menu : { MenuStateFor(state, false), MenuStateFor(state, true) }) {
            for (const TrayMenuItem &item : menu.items) {
                const QChar letter = item.command ? QString(item.text).remove(u'&').at(0) : u'-';
                dump += item.enabled ? letter : letter.toLower();
            }
            dump += menu.shown ? u" "_s : u"_ "_s;
        }
        for (int click = 0; click < 4; ++click)
            dump += u".WM"[int(ActionForTrayClick(state, TrayClick(click)))];
        dump += u'|';
    }
    EXPECT_EQ(dump,
              u"a-mp-S a-mp-S ..M.|a-mp-S a-mp-S ..M.|A-MP-S A-OP-S WWM.|A-MP-S A-OP-S WWM.|"
              u"A-mP-S A-mP-S ..M.|a-mp-S a-mp-S ..M.|_ _ ....|"_s);
    // The strip's last row and column are the work area's; a cut tooltip never splits a surrogate pair.
    EXPECT_EQ(TrayRectFallback(QRect(1280, 88, 1920, 1048)), QRect(3050, 1106, 150, 30));
    EXPECT_EQ(TrayTooltipText(QString(200, u'a')) + TrayTooltipText(QString(126, u'a') + u"😀😀"_s),
              QString(253, u'a'));
}

TEST(TrayIconTest, TheFirstCloseHintComesOnceAndOnlyWithATray)
{
    // Hidden from the menu: with no tray the window is minimised and the hint waits; with one it comes once.
    for (const auto &[tray, hint] :
         { std::pair(false, false), std::pair(true, true), std::pair(true, false) }) {
        test::TestAppServices services;
        CTavrinDlg dlg(services.app());
        dlg.setTrayAvailability([tray] { return tray; });
        dlg.OnInitDialog();
        dlg.show();
        dlg.OnCommand(ID_SHOW_HIDE);
        EXPECT_TRUE(dlg.isVisible() != tray && dlg.isMinimized() != tray && IsFirstTimeClose() != tray);
        EXPECT_EQ(dlg.trayIcon()->lastBalloon().has_value(), hint);
    }
}

} // namespace
} // namespace tavrin
