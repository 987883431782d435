// The tray's and the window's pure decisions: menu and clicks per state, tray strip, tooltip, first place.
#include "mainwnd/panelayout.h"
#include "support/testfiles.h"
#include "tray/traylogic.h"

#include <gtest/gtest.h>

using namespace tavrin;
using namespace Qt::StringLiterals;

TEST(TrayLogic, MenuAndClicksPerStateTrayStripTooltipAndPlacementOnThePrimaryScreen)
{
    QStringList layout; // ids and texts, "-" for a separator
    for (const TrayMenuItem &item : MenuStateFor(AppState::Running, false).items)
        layout << (item.command ? QString::number(int(*item.command)) + u' ' + item.text : u"-"_s);
    EXPECT_EQ(layout.join(u'|'),
              u"32777 Acerca de ...|-|32778 Mostrar|32779 Preferencias ...|-|32780 &Salir");
    EXPECT_EQ(MenuStateFor(AppState::Running, true).find(ID_SHOW_HIDE)->text, u"Ocultar"_s);

    // The menu with the window hidden, then visible: each entry's first letter, lower-case when grayed
    // ("_" for no menu); then what a left, double, right and other click does (Window, Menu, nothing).
    const std::pair<AppState, const char *> states[] = {
        { AppState::Starting, "a-mp-S a-mp-S ..M." },
        { AppState::FirstLoad, "a-mp-S a-mp-S ..M." },
        { AppState::Running, "A-MP-S A-OP-S WWM." },
        { AppState::Refreshing, "A-MP-S A-OP-S WWM." },
        { AppState::Offline, "A-mP-S A-mP-S ..M." },
        { AppState::Updating, "a-mp-S a-mp-S ..M." },
        { AppState::Exiting, "_ _ ...." },
    };
    for (const auto &[state, expected] : states) {
        QString dump;
        for (const bool visible : { false, true }) {
            const TrayMenuState menu = MenuStateFor(state, visible);
            for (const TrayMenuItem &item : menu.items) {
                const QChar letter = item.command ? QString(item.text).remove(u'&').at(0) : u'-';
                dump += item.enabled ? letter : letter.toLower();
            }
            dump += menu.shown ? u" "_s : u"_ "_s;
        }
        for (const TrayClick click :
             { TrayClick::Left, TrayClick::Double, TrayClick::Right, TrayClick::Other })
            dump += u".WM"[int(ActionForTrayClick(state, click))];
        EXPECT_EQ(dump, QLatin1String(expected)) << int(state);
    }

    // The primary screen right of a 1280-pixel one, lowered by 56, with a 32-pixel panel at its top.
    const QRect work(1280, 88, 1920, 1048), left(0, 0, 1280, 1024), primary(1280, 56, 1920, 1080);
    EXPECT_EQ(TrayRectFallback(work), QRect(3050, 1106, 150, 30)); // its last row and column are the area's
    // Offsets from the primary screen's corner, not from the work area's (the panel is not added).
    EXPECT_EQ(PlaceMainWindow(std::nullopt, QSize(400, 600), work, { left, primary }),
              QRect(2040, 280, 400, 600));
    EXPECT_EQ(PlaceMainWindow(std::nullopt, QSize(400, 600), work, {}), QRect(2040, 312, 400, 600));

    const QString text = QString(120, u'a') + QString(80, u'b'), emoji = u"😀"_s;
    EXPECT_EQ(TrayTooltipText(text), text.left(127));
    EXPECT_EQ(TrayTooltipText(QString(126, u'a') + emoji + emoji), QString(126, u'a')); // no half pair
}
