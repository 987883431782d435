// Pure arithmetic of the main window's frame: pane rectangles, placement, minimum size, bands, drag area.
#include "mainwnd/panelayout.h"

#include <algorithm>
#include <limits>

namespace tavrin {

int FrameWidth(const QList<Border> &borders)
{
    // Saturated well below the int range, so huge configured widths cannot overflow the sum or the
    // arithmetic of the layout and the hit test that subtract twice the frame from a window size.
    constexpr qint64 kMaxFrame = std::numeric_limits<int>::max() / 4;
    qint64 frame = 0;
    for (const Border &border : borders)
        frame = std::min(kMaxFrame, frame + std::max(0, border.width));
    return int(frame);
}

PaneRects LayoutPanes(QSize window, int frame, const PaneMeasures &measures, bool showLoading)
{
    PaneRects rects;
    const int b = frame;
    const int wd = window.width();
    const int ht = window.height();
    const int inner = wd - 2 * b;

    if (!measures.sections)
        return rects;
    const int sh = measures.sections->height();
    const int w = std::min(measures.sections->width(), inner);
    // The sections page is measured at the full inner width, so it stays there; narrowing it to w
    // would make its next measurement report w and the panes could never widen again.
    rects.sections = QRect(b, b, inner, sh);

    int uh = 0;
    if (measures.urgentBodyEmpty) {
        rects.urgent = kHiddenPane;
    } else {
        if (!measures.urgent)
            return rects;
        uh = measures.urgent->height();
        rects.urgent = QRect(b, b + sh, w, uh);
    }

    if (!measures.ads)
        return rects;
    const int ah = measures.ads->height();
    rects.ads = QRect(b, ht - ah - b, w, ah);

    const int y = b + sh + uh;
    const int m = std::max(0, ht - 2 * b - ah - uh - sh);
    const QRect middle(b, y, w, m);
    rects.news = showLoading ? kHiddenPane : middle;
    rects.loading = showLoading ? middle : kHiddenPane;
    return rects;
}

QRect PlaceMainWindow(const std::optional<QRect> &saved, QSize design, const QRect &workArea,
                      const QList<QRect> &screens)
{
    if (saved && saved->width() >= design.width() && saved->height() >= design.height()) {
        // A rectangle left on a monitor that is gone would put the window out of reach.
        const bool visible = std::any_of(screens.begin(), screens.end(),
                                         [&](const QRect &screen) { return screen.intersects(*saved); });
        if (visible)
            return *saved;
    }
    QPoint origin = workArea.topLeft();
    const auto holder = std::find_if(screens.begin(), screens.end(), [&](const QRect &screen) {
        return screen.contains(workArea.topLeft());
    });
    if (holder != screens.end())
        origin = holder->topLeft();
    const int workRight = workArea.x() + workArea.width();
    const int workBottom = workArea.y() + workArea.height();
    const int x = (workRight - design.width() - workArea.x()) / 2;
    const int y = (workBottom - design.height() - workArea.y()) / 2;
    return QRect(origin.x() + x, origin.y() + y, design.width(), design.height());
}

QRect ApplyMinimumSize(const QRect &proposed, Qt::Edges dragged, QSize minimum)
{
    // Exclusive right and bottom, as the window system reports a sizing rectangle.
    int left = proposed.x();
    int top = proposed.y();
    int right = proposed.x() + proposed.width();
    int bottom = proposed.y() + proposed.height();
    if (right - left < minimum.width()) {
        if (dragged & Qt::LeftEdge)
            left = right - minimum.width();
        else
            right = left + minimum.width();
    }
    if (bottom - top < minimum.height()) {
        if (dragged & Qt::TopEdge)
            top = bottom - minimum.height();
        else
            bottom = top + minimum.height();
    }
    return QRect(left, top, right - left, bottom - top);
}

HitCode HitTestFrame(QPoint point, QSize window, int frame)
{
    const bool left = point.x() < frame;
    const bool right = point.x() >= window.width() - frame;
    const bool top = point.y() < frame;
    const bool bottom = point.y() >= window.height() - frame;
    if (top && left)
        return HTTOPLEFT;
    if (top && right)
        return HTTOPRIGHT;
    if (top)
        return HTTOP;
    if (bottom && left)
        return HTBOTTOMLEFT;
    if (bottom && right)
        return HTBOTTOMRIGHT;
    if (bottom)
        return HTBOTTOM;
    if (left)
        return HTLEFT;
    if (right)
        return HTRIGHT;
    return HitNowhere;
}

Qt::Edges EdgesForHitCode(HitCode code)
{
    switch (code) {
    case HTLEFT:
        return Qt::LeftEdge;
    case HTRIGHT:
        return Qt::RightEdge;
    case HTTOP:
        return Qt::TopEdge;
    case HTTOPLEFT:
        return Qt::TopEdge | Qt::LeftEdge;
    case HTTOPRIGHT:
        return Qt::TopEdge | Qt::RightEdge;
    case HTBOTTOM:
        return Qt::BottomEdge;
    case HTBOTTOMLEFT:
        return Qt::BottomEdge | Qt::LeftEdge;
    case HTBOTTOMRIGHT:
        return Qt::BottomEdge | Qt::RightEdge;
    case HitNowhere:
        break;
    }
    return {};
}

bool IsInTitleArea(QPoint point, const ConfigRect &title, int windowWidth, int designWidth)
{
    const int right = title.right + (windowWidth - designWidth);
    return point.x() >= title.left && point.x() < right && point.y() >= title.top && point.y() < title.bottom;
}

Qt::Edges GripEdges(Qt::CursorShape shape)
{
    if (shape == Qt::SizeFDiagCursor)
        return Qt::BottomEdge | Qt::RightEdge;
    return {};
}

} // namespace tavrin
