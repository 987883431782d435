// The tray's decisions as plain values: the menu for a state, what a click on the icon does, the
// rectangle the window animates from when the icon has no place of its own, and the tooltip's length.
#pragma once

#include "base/appstate.h"
#include "base/messages.h"

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace tavrin {

// One entry of the tray menu, top to bottom.
struct TrayMenuItem {
    std::optional<MessageId> command; // none for a separator
    QString text; // "&" marks the mnemonic
    bool enabled = true;
};

struct TrayMenuState {
    bool shown = false; // no menu opens while the program exits
    QList<TrayMenuItem> items; // empty when not shown
};

// The tray menu in a state: about, separator, show/hide, preferences, separator, exit. Until content is
// there and while updating only exit can be chosen; offline the window cannot be shown; the show/hide
// entry reads "Ocultar" only while running or refreshing with the window visible. Exit is never grayed.
TrayMenuState MenuStateFor(AppState state, bool windowVisible);

// The clicks on the icon the program tells apart (QSystemTrayIcon's Trigger, DoubleClick, Context; any
// other activation is Other).
enum class TrayClick {
    Left,
    Double,
    Right,
    Other,
};

enum class TrayClickAction {
    Nothing,
    ShowWindow,
    OpenMenu,
};

// A left or double click shows the window only while running or refreshing (it never hides it); a right
// click opens the menu; nothing at all while exiting.
TrayClickAction ActionForTrayClick(AppState state, TrayClick click);

// Where the tray is taken to be when the icon reports no geometry: a 150 x 30 strip in the work area's
// bottom-right corner. Both rectangles are QRects (right() and bottom() inclusive), so the strip's last
// column and row are the work area's.
QRect TrayRectFallback(const QRect &workArea);

// The tray shows at most this many UTF-16 units of a tooltip.
constexpr qsizetype kTrayTooltipLength = 127;
// The tooltip cut to what the tray shows; a cut never splits a surrogate pair.
QString TrayTooltipText(const QString &text);

} // namespace tavrin
