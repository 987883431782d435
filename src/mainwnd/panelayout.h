// Pure arithmetic of the main window's frame: pane rectangles, placement, minimum size, bands, drag area.
#pragma once

#include "config/clientconfig.h"

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

namespace tavrin {

// The frame width b: the sum of the border widths (0 for no borders; negative widths add nothing;
// capped at a quarter of the int range).
int FrameWidth(const QList<Border> &borders);

// What the layout knows of the panes' pages: the latest measured content sizes (none while a page
// cannot be measured) and whether the urgent page's body is empty.
struct PaneMeasures {
    std::optional<QSize> sections;
    std::optional<QSize> urgent;
    std::optional<QSize> ads;
    bool urgentBodyEmpty = false;
};

// The place of each pane; none means "leave the pane where it is" (the layout stopped before it
// because a page could not be measured yet). A hidden pane gets kHiddenPane.
struct PaneRects {
    std::optional<QRect> sections;
    std::optional<QRect> urgent;
    std::optional<QRect> news;
    std::optional<QRect> loading;
    std::optional<QRect> ads;
};
inline const QRect kHiddenPane { -1, -1, 0, 0 };

// Stacks the panes inside the frame: sections on top, then urgent (hidden when its body is empty),
// then the middle pane (the loading pane when `showLoading`, else the news pane), ads at the bottom.
// The sections pane spans the inner width, where it is measured; the other panes take the smaller of
// that width and the sections page's measured width. The middle pane gets what is left (never less
// than nothing: the window is not enlarged).
PaneRects LayoutPanes(QSize window, int frame, const PaneMeasures &measures, bool showLoading);

// Where the main window goes: the saved rectangle when it is at least the design size and still
// touches one of the screens; otherwise the design size centred by the work-area arithmetic, as
// offsets from the origin of the screen that holds the work area (the primary screen's, which need not
// be (0,0) of the desktop; the work area's own corner when no screen holds it).
QRect PlaceMainWindow(const std::optional<QRect> &saved, QSize design, const QRect &workArea,
                      const QList<QRect> &screens);

// The proposed rectangle of a resize kept at least `minimum` in size: the dragged edge gives way,
// the opposite edge stays.
QRect ApplyMinimumSize(const QRect &proposed, Qt::Edges dragged, QSize minimum);

// Resize band codes of the frame (the values the window system's hit test used).
enum HitCode {
    HitNowhere = 0, // not on a band: default handling
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
};

// The band under a point in window coordinates; HitNowhere inside the frame (and always when frame is 0).
HitCode HitTestFrame(QPoint point, QSize window, int frame);
// The edges a resize from that band moves; none for HitNowhere.
Qt::Edges EdgesForHitCode(HitCode code);

// The drag area: the configured title rectangle whose right edge moves with the window's extra
// width over the design width; right and bottom excluded.
bool IsInTitleArea(QPoint point, const ConfigRect &title, int windowWidth, int designWidth);

// A page that shows the diagonal resize cursor offers a grip: a press there resizes the window
// from its bottom-right corner. Returns the edges to resize, none for any other cursor.
Qt::Edges GripEdges(Qt::CursorShape shape);

} // namespace tavrin
