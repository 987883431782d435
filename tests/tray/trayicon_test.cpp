// The main window's notification-area icon: its first picture and tooltip, the menu's commands, and the
// first-close hint that comes once per user, across restarts, and only where there is a tray.
#include "mainwnd/tavrindlg.h"

#include "settings/settings.h"
#include "support/appservices.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

// One run of the program's window: created, initialised, shown, hidden; the balloon it showed, if any.
std::optional<TrayIcon::Balloon> hideOnce(bool trayAvailable, bool *visibleAfter = nullptr)
{
    test::TestAppServices services;
    CTavrinDlg dlg(services.app());
    dlg.setTrayAvailability([trayAvailable] { return trayAvailable; });
    dlg.setQuitHandler([] {});
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.trayIcon()->tooltip(), GetText(ClientConfig(), TextId::TooltipInitializing));
    dlg.show();
    dlg.OnCommand(ID_SHOW_HIDE);
    if (visibleAfter)
        *visibleAfter = dlg.isVisible() && !dlg.isMinimized();
    const std::optional<TrayIcon::Balloon> balloon = dlg.trayIcon()->lastBalloon();
    dlg.OnCommand(ID_EXIT);
    return balloon;
}

TEST(TrayIconTest, TheFirstCloseHintComesOnceAndOnlyWithATray)
{
    bool visible = true;
    // Without a tray the window stays reachable (minimised to its taskbar entry) and the hint waits.
    EXPECT_FALSE(hideOnce(false, &visible).has_value());
    EXPECT_FALSE(visible);
    EXPECT_TRUE(IsFirstTimeClose());

    const std::optional<TrayIcon::Balloon> first = hideOnce(true, &visible);
    ASSERT_TRUE(first.has_value());
    EXPECT_FALSE(visible);
    EXPECT_EQ(first->title, GetText(ClientConfig(), TextId::BalloonTitleAppMinimized));
    EXPECT_EQ(first->text, GetText(ClientConfig(), TextId::BalloonTextAppMinimized));
    EXPECT_EQ(first->icon, BalloonIcon::Information);
    EXPECT_FALSE(IsFirstTimeClose());
    EXPECT_FALSE(hideOnce(true).has_value()) << "a restart does not show it again";
}

} // namespace
} // namespace tavrin
