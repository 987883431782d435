// Frame arithmetic of the main window: pane rectangles, placement, minimum size, bands, drag area.
#include "mainwnd/panelayout.h"

#include <gtest/gtest.h>

#include <limits>

// Readable rectangles in failure messages (found by argument-dependent lookup).
void PrintTo(const QRect &rect, std::ostream *out);
void PrintTo(const QRect &rect, std::ostream *out)
{
    *out << "(" << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height() << ")";
}

namespace tavrin {
namespace {

const QSize kWindow(400, 600);
constexpr int kFrame = 3;
const std::optional<QRect> kKeep;

TEST(LayoutPanes, StacksThePanesFromTheirMeasurements)
{
    struct Case {
        const char *name;
        int frame;
        PaneMeasures measures;
        bool showLoading;
        PaneRects expected;
    };
    const Case cases[] = {
        { "all measured, running",
          kFrame,
          { QSize(394, 50), QSize(394, 30), QSize(394, 40), false },
          false,
          { QRect(3, 3, 394, 50), QRect(3, 53, 394, 30), QRect(3, 83, 394, 474), kHiddenPane,
            QRect(3, 557, 394, 40) } },
        { "empty urgent body: the news pane starts under the sections",
          kFrame,
          { QSize(394, 50), std::nullopt, QSize(394, 40), true },
          false,
          { QRect(3, 3, 394, 50), kHiddenPane, QRect(3, 53, 394, 504), kHiddenPane,
            QRect(3, 557, 394, 40) } },
        { "refreshing: the loading pane takes the news pane's place",
          kFrame,
          { QSize(394, 50), QSize(394, 30), QSize(394, 40), false },
          true,
          { QRect(3, 3, 394, 50), QRect(3, 53, 394, 30), kHiddenPane, QRect(3, 83, 394, 474),
            QRect(3, 557, 394, 40) } },
        { "content taller than the window: the middle pane gets nothing",
          kFrame,
          { QSize(394, 300), QSize(394, 300), QSize(394, 100), false },
          false,
          { QRect(3, 3, 394, 300), QRect(3, 303, 394, 300), QRect(3, 603, 394, 0), kHiddenPane,
            QRect(3, 497, 394, 100) } },
        { "no borders: the panes start at the corner",
          0,
          { QSize(400, 50), QSize(400, 30), QSize(400, 40), false },
          false,
          { QRect(0, 0, 400, 50), QRect(0, 50, 400, 30), QRect(0, 80, 400, 480), kHiddenPane,
            QRect(0, 560, 400, 40) } },
        { "a narrower sections page narrows the other panes",
          kFrame,
          { QSize(300, 50), QSize(394, 30), QSize(394, 40), false },
          false,
          { QRect(3, 3, 394, 50), QRect(3, 53, 300, 30), QRect(3, 83, 300, 474), kHiddenPane,
            QRect(3, 557, 300, 40) } },
        { "a wider sections page is held to the window",
          kFrame,
          { QSize(900, 50), QSize(394, 30), QSize(394, 40), false },
          false,
          { QRect(3, 3, 394, 50), QRect(3, 53, 394, 30), QRect(3, 83, 394, 474), kHiddenPane,
            QRect(3, 557, 394, 40) } },
        { "sections not measured: nothing moves",
          kFrame,
          { std::nullopt, QSize(394, 30), QSize(394, 40), false },
          false,
          { kKeep, kKeep, kKeep, kKeep, kKeep } },
        { "urgent page not measured: only the sections pane moves",
          kFrame,
          { QSize(394, 50), std::nullopt, QSize(394, 40), false },
          false,
          { QRect(3, 3, 394, 50), kKeep, kKeep, kKeep, kKeep } },
        { "ads page not measured: sections and urgent move",
          kFrame,
          { QSize(394, 50), QSize(394, 30), std::nullopt, false },
          false,
          { QRect(3, 3, 394, 50), QRect(3, 53, 394, 30), kKeep, kKeep, kKeep } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const PaneRects rects = LayoutPanes(kWindow, c.frame, c.measures, c.showLoading);
        EXPECT_EQ(rects.sections, c.expected.sections);
        EXPECT_EQ(rects.urgent, c.expected.urgent);
        EXPECT_EQ(rects.news, c.expected.news);
        EXPECT_EQ(rects.loading, c.expected.loading);
        EXPECT_EQ(rects.ads, c.expected.ads);
    }
}

TEST(FrameWidth, SumsTheBorders)
{
    EXPECT_EQ(FrameWidth({}), 0);
    EXPECT_EQ(FrameWidth({ Border { 0x0000FF, 2 }, Border { 0xFFFFFF, 1 } }), 3);
    EXPECT_EQ(FrameWidth({ Border { 0x0000FF, -5 }, Border { 0xFFFFFF, 4 } }),
              4); // a negative width adds nothing
    constexpr int kMax = std::numeric_limits<int>::max();
    EXPECT_EQ(FrameWidth({ Border { 0, kMax }, Border { 0, kMax }, Border { 0, 3 } }), kMax / 4)
        << "huge widths saturate instead of overflowing";
    // A frame that wide leaves no inner area, and the arithmetic built on it stays in range.
    const int b = FrameWidth({ Border { 0, kMax } });
    EXPECT_EQ(HitTestFrame(QPoint(200, 300), QSize(400, 600), b), HTTOPLEFT);
    const PaneRects rects = LayoutPanes(
        QSize(400, 600), b, PaneMeasures { QSize(400, 50), QSize(400, 20), QSize(400, 30), false }, false);
    ASSERT_TRUE(rects.sections && rects.news);
    EXPECT_EQ(rects.news->height(), 0);
}

TEST(PlaceMainWindow, RestoresOrCentres)
{
    const QSize design(400, 600);
    const QRect workArea(0, 0, 1920, 1040);
    const QList<QRect> screens { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024) };
    const QRect centred(760, 220, 400, 600);
    struct Case {
        const char *name;
        std::optional<QRect> saved;
        QRect workArea;
        QRect expected;
    };
    const Case cases[] = {
        { "nothing saved", std::nullopt, workArea, centred },
        { "saved and big enough", QRect(100, 50, 500, 700), workArea, QRect(100, 50, 500, 700) },
        { "saved exactly the design size", QRect(10, 10, 400, 600), workArea, QRect(10, 10, 400, 600) },
        { "saved narrower than the design", QRect(100, 50, 399, 700), workArea, centred },
        { "saved lower than the design", QRect(100, 50, 500, 599), workArea, centred },
        { "saved on the second screen", QRect(2000, 100, 400, 600), workArea, QRect(2000, 100, 400, 600) },
        { "saved partly on a screen", QRect(-300, 100, 400, 600), workArea, QRect(-300, 100, 400, 600) },
        { "saved off every screen", QRect(5000, 100, 400, 600), workArea, centred },
        { "work area beside a left panel: offsets from the screen origin", std::nullopt,
          QRect(40, 0, 1880, 1040), QRect(740, 220, 400, 600) },
        { "odd remainder truncates", std::nullopt, QRect(0, 0, 1921, 1041), QRect(760, 220, 400, 600) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceMainWindow(c.saved, design, c.workArea, screens), c.expected);
    }
}

TEST(ApplyMinimumSize, TheDraggedEdgeGivesWay)
{
    const QSize minimum(400, 300);
    const QRect small(100, 100, 350, 250); // right 450, bottom 350 (exclusive)
    struct Case {
        const char *name;
        QRect proposed;
        Qt::Edges dragged;
        QRect expected;
    };
    const Case cases[] = {
        { "left", small, Qt::LeftEdge, QRect(50, 100, 400, 300) },
        { "right", small, Qt::RightEdge, QRect(100, 100, 400, 300) },
        { "top", small, Qt::TopEdge, QRect(100, 50, 400, 300) },
        { "bottom", small, Qt::BottomEdge, QRect(100, 100, 400, 300) },
        { "top-left", small, Qt::TopEdge | Qt::LeftEdge, QRect(50, 50, 400, 300) },
        { "top-right", small, Qt::TopEdge | Qt::RightEdge, QRect(100, 50, 400, 300) },
        { "bottom-left", small, Qt::BottomEdge | Qt::LeftEdge, QRect(50, 100, 400, 300) },
        { "bottom-right", small, Qt::BottomEdge | Qt::RightEdge, QRect(100, 100, 400, 300) },
        { "only too narrow", QRect(100, 100, 350, 500), Qt::LeftEdge, QRect(50, 100, 400, 500) },
        { "large enough", QRect(100, 100, 800, 500), Qt::LeftEdge, QRect(100, 100, 800, 500) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ApplyMinimumSize(c.proposed, c.dragged, minimum), c.expected);
    }
}

TEST(HitTestFrame, BandsAreTheFrameWidthDeep)
{
    struct Case {
        QPoint point;
        int frame;
        HitCode expected;
        Qt::Edges edges;
    };
    const Case cases[] = {
        { { 0, 0 }, 3, HTTOPLEFT, Qt::TopEdge | Qt::LeftEdge },
        { { 2, 2 }, 3, HTTOPLEFT, Qt::TopEdge | Qt::LeftEdge },
        { { 3, 3 }, 3, HitNowhere, {} },
        { { 399, 0 }, 3, HTTOPRIGHT, Qt::TopEdge | Qt::RightEdge },
        { { 397, 2 }, 3, HTTOPRIGHT, Qt::TopEdge | Qt::RightEdge },
        { { 396, 1 }, 3, HTTOP, Qt::TopEdge },
        { { 0, 599 }, 3, HTBOTTOMLEFT, Qt::BottomEdge | Qt::LeftEdge },
        { { 399, 597 }, 3, HTBOTTOMRIGHT, Qt::BottomEdge | Qt::RightEdge },
        { { 200, 597 }, 3, HTBOTTOM, Qt::BottomEdge },
        { { 200, 596 }, 3, HitNowhere, {} },
        { { 2, 300 }, 3, HTLEFT, Qt::LeftEdge },
        { { 397, 300 }, 3, HTRIGHT, Qt::RightEdge },
        { { 396, 300 }, 3, HitNowhere, {} },
        { { 0, 0 }, 0, HitNowhere, {} }, // no borders, no bands
        { { 399, 599 }, 0, HitNowhere, {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y() << " frame " << c.frame);
        const HitCode code = HitTestFrame(c.point, kWindow, c.frame);
        EXPECT_EQ(code, c.expected);
        EXPECT_EQ(EdgesForHitCode(code), c.edges);
    }
}

TEST(IsInTitleArea, TheRightEdgeMovesWithTheExtraWidth)
{
    const ConfigRect title { 10, 5, 110, 25 };
    struct Case {
        QPoint point;
        int windowWidth;
        bool expected;
    };
    const Case cases[] = {
        { { 10, 5 }, 400, true },   { { 109, 24 }, 400, true },  { { 110, 10 }, 400, false },
        { { 9, 10 }, 400, false },  { { 50, 25 }, 400, false },  { { 50, 4 }, 400, false },
        { { 209, 10 }, 500, true }, { { 210, 10 }, 500, false }, { { 10, 10 }, 500, true },
        { { 50, 25 }, 500, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y() << " width " << c.windowWidth);
        EXPECT_EQ(IsInTitleArea(c.point, title, c.windowWidth, 400), c.expected);
    }
}

TEST(GripEdges, OnlyTheDiagonalResizeCursorIsAGrip)
{
    EXPECT_EQ(GripEdges(Qt::SizeFDiagCursor), Qt::BottomEdge | Qt::RightEdge);
    EXPECT_EQ(GripEdges(Qt::SizeBDiagCursor), Qt::Edges());
    EXPECT_EQ(GripEdges(Qt::ArrowCursor), Qt::Edges());
    EXPECT_EQ(GripEdges(Qt::PointingHandCursor), Qt::Edges());
}

} // namespace
} // namespace tavrin
