// The main window's pure parts: frame width and painting, pane layout, placement, bands, readiness.
#include "mainwnd/drawborders.h"
#include "mainwnd/mainwndstate.h"
#include "mainwnd/panelayout.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <tuple>

// Readable rectangles in failure messages (found by argument-dependent lookup).
static void PrintTo(const QRect &rect, std::ostream *out)
{
    *out << "(" << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height() << ")";
}

namespace tavrin {
namespace {

constexpr int kMax = std::numeric_limits<int>::max();
const QSize kWindow(400, 600);

// The sections, urgent, news, loading and ads panes' places; none: left where they are.
using Placed = std::array<std::optional<QRect>, 5>;
Placed layout(int frame, const PaneMeasures &measures, bool showLoading = false)
{
    const PaneRects r = LayoutPanes(kWindow, frame, measures, showLoading);
    return { r.sections, r.urgent, r.news, r.loading, r.ads };
}

TEST(LayoutPanes, StacksThePanesFromTheirMeasurements)
{
    // A page measured at the inner width of the window with a 3-pixel frame, and a pane inside that frame.
    const auto page = [](int height, int width = 394) { return std::optional(QSize(width, height)); };
    const auto pane = [](int y, int height, int width = 394) { return QRect(3, y, width, height); };
    const std::nullopt_t none = std::nullopt; // not measured
    const QRect hidden = kHiddenPane;
    EXPECT_EQ(layout(3, { page(50), page(30), page(40) }),
              (Placed { pane(3, 50), pane(53, 30), pane(83, 474), hidden, pane(557, 40) }));
    // No borders, an empty urgent body, a narrower sections page: the others take the page's width.
    EXPECT_EQ(
        layout(0, { page(50, 300), none, page(40), true }),
        (Placed { QRect(0, 0, 400, 50), hidden, QRect(0, 50, 300, 510), hidden, QRect(0, 560, 300, 40) }));
    // Refreshing, a sections page wider than the window, content taller than it: the loading pane takes
    // the news pane's place and gets nothing. A page not measured yet stops the layout there.
    EXPECT_EQ(layout(3, { page(300, 900), page(300), page(100) }, true),
              (Placed { pane(3, 300), pane(303, 300), hidden, pane(603, 0), pane(497, 100) }));
    EXPECT_EQ(layout(3, { none, page(30), page(40) }), Placed {});
    EXPECT_EQ(layout(3, { page(50), none, page(40) }), Placed { pane(3, 50) });
    EXPECT_EQ(layout(3, { page(50), page(30), none }), (Placed { pane(3, 50), pane(53, 30) }));
}

TEST(Frame, WidthSumsTheBordersAndSaturatesAndBandsArePaintedInward)
{
    const std::pair<QList<Border>, int> cases[] = {
        { {}, 0 },
        { { { 0x0000FF, 2 }, { 0xFFFFFF, 1 } }, 3 },
        { { { 0, -5 }, { 0, 4 } }, 4 }, // a negative width adds nothing
        { { { 0, kMax }, { 0, kMax }, { 0, 3 } }, kMax / 4 }, // saturates instead of overflowing
    };
    for (const auto &[borders, width] : cases)
        EXPECT_EQ(FrameWidth(borders), width) << borders.size();
    // A frame that wide leaves no inner area, and the arithmetic built on it stays in range.
    EXPECT_EQ(HitTestFrame(QPoint(200, 300), kWindow, kMax / 4), HTTOPLEFT);
    EXPECT_EQ(layout(kMax / 4, { QSize(400, 50), QSize(400, 20), QSize(400, 30) })[2].value().height(), 0);

    // The painter: each band inside the previous (colours are 0x00BBGGRR), nothing else, up to the centre.
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    const auto paint = [&](const QList<Border> &borders) {
        QPainter painter(&image);
        DrawBorders(painter, borders, image.rect());
    };
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    paint({});
    EXPECT_EQ(image.pixel(0, 0), black);
    paint({ Border { 0x0000FF, 2 }, Border { 0xFFFFFF, 1 } });
    const std::pair<QPoint, QRgb> pixels[] = {
        { { 0, 0 }, red },  { { 1, 1 }, red },    { { 2, 2 }, white },  { { 3, 3 }, black },
        { { 18, 8 }, red }, { { 17, 7 }, white }, { { 16, 6 }, black }, { { 10, 5 }, black },
    };
    for (const auto &[pixel, colour] : pixels)
        EXPECT_EQ(image.pixel(pixel), colour) << pixel.x() << "," << pixel.y();
    QImage green = image;
    green.fill(QColor(0, 255, 0));
    paint({ Border { 0x00FF00, 50 } }); // wider than the window: fills it
    EXPECT_EQ(image, green);
}

TEST(WindowFrame, PlacementResizeBandsGripMinimumSizeAndDragArea)
{
    const QRect workArea(0, 0, 1920, 1040), centred(760, 220, 400, 600);
    const std::tuple<const char *, std::optional<QRect>, QRect, QRect> cases[] = {
        { "nothing saved", std::nullopt, workArea, centred },
        { "design size, partly on the second screen", QRect(3000, 9, 400, 600), workArea,
          QRect(3000, 9, 400, 600) },
        { "narrower than the design", QRect(100, 50, 399, 700), workArea, centred },
        { "lower than the design", QRect(100, 50, 500, 599), workArea, centred },
        { "off every screen", QRect(5000, 100, 400, 600), workArea, centred },
        // Offsets from the screen origin; odd remainders truncate.
        { "beside a left panel", std::nullopt, QRect(40, 0, 1881, 1041), QRect(740, 220, 400, 600) },
        { "top panel, screen 2", std::nullopt, QRect(1920, 32, 1280, 992), QRect(2360, 196, 400, 600) },
        { "on no screen: its corner", std::nullopt, QRect(5000, 40, 1000, 800), QRect(5300, 140, 400, 600) },
    };
    const QList<QRect> screens { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024) };
    for (const auto &[name, saved, area, expected] : cases)
        EXPECT_EQ(PlaceMainWindow(saved, kWindow, area, screens), expected) << name;

    const Qt::Edges T = Qt::TopEdge, L = Qt::LeftEdge, B = Qt::BottomEdge, R = Qt::RightEdge, none;
    // The bands are the frame width deep; only the diagonal resize cursor is a grip.
    const std::pair<QPoint, Qt::Edges> bands[] = {
        { { 2, 2 }, T | L }, { { 3, 3 }, none },    { { 397, 2 }, T | R },
        { { 396, 1 }, T },   { { 0, 599 }, B | L }, { { 399, 597 }, B | R },
        { { 200, 597 }, B }, { { 2, 596 }, L },     { { 397, 300 }, R },
    };
    for (const auto &[point, edges] : bands)
        EXPECT_EQ(EdgesForHitCode(HitTestFrame(point, kWindow, 3)), edges) << point.x() << "," << point.y();
    EXPECT_EQ(HitTestFrame(QPoint(0, 0), kWindow, 0), HitNowhere); // no borders, no bands
    EXPECT_EQ(GripEdges(Qt::SizeFDiagCursor), B | R);
    EXPECT_EQ(GripEdges(Qt::SizeBDiagCursor) | GripEdges(Qt::ArrowCursor), none);

    const QRect small(100, 100, 350, 250); // below the minimum: the dragged edge gives way
    const std::tuple<QRect, Qt::Edges, QRect> resizes[] = {
        { small, T | L, QRect(50, 50, 400, 300) },
        { small, B | R, QRect(100, 100, 400, 300) },
        { QRect(100, 100, 350, 500), L, QRect(50, 100, 400, 500) }, // only too narrow
        { QRect(100, 100, 800, 500), L, QRect(100, 100, 800, 500) }, // large enough
    };
    for (const auto &[proposed, dragged, expected] : resizes)
        EXPECT_EQ(ApplyMinimumSize(proposed, dragged, QSize(400, 300)), expected) << dragged.toInt();

    // The drag area's right edge moves with the extra width over the design width.
    const std::tuple<int, int, int, bool> drags[] = {
        { 10, 5, 400, true },   { 109, 24, 400, true },  { 110, 10, 400, false },
        { 9, 10, 400, false },  { 50, 25, 400, false },  { 50, 4, 400, false },
        { 209, 10, 500, true }, { 210, 10, 500, false }, { 10, 10, 500, true },
    };
    for (const auto &[x, y, windowWidth, expected] : drags)
        EXPECT_EQ(IsInTitleArea(QPoint(x, y), { 10, 5, 110, 25 }, windowWidth, 400), expected)
            << x << "," << y << " width " << windowWidth;
}

TEST(MainWindowState, AllPanesCompleteAndReloadPeriods)
{
    const ReadyState done = ReadyState::Complete;
    EXPECT_TRUE(AllPanesComplete({ done, done, done, done, done }));
    EXPECT_TRUE(AllPanesComplete({ done, done, done, done }));
    EXPECT_FALSE(AllPanesComplete({ done, ReadyState::Loading, done, done, done }));
    EXPECT_FALSE(AllPanesComplete({ done, done, done, done, ReadyState::Uninitialized }));
    // At least a second; 2147484000 ms no longer fits a timer.
    const std::pair<int, int> periods[]
        = { { 30, 30000 }, { 0, 1000 }, { 2147483, 2147483000 }, { 2147484, kMax }, { kMax, kMax } };
    for (const auto &[seconds, ms] : periods)
        EXPECT_EQ(ReloadPeriodMs(seconds), ms) << seconds;
}

} // namespace
} // namespace tavrin
