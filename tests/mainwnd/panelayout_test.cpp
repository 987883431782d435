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
const std::optional<QSize> kUnmeasured;
const std::optional<QRect> kKeep;

// A page measured at the inner width of the window with a 3-pixel frame, and a pane inside that frame.
std::optional<QSize> page(int height, int width = 394)
{
    return QSize(width, height);
}

QRect pane(int y, int height, int width = 394)
{
    return QRect(3, y, width, height);
}

TEST(LayoutPanes, StacksThePanesFromTheirMeasurements)
{
    const struct {
        const char *name;
        int frame;
        std::optional<QSize> sections, urgent, ads;
        bool urgentBodyEmpty, showLoading;
        std::optional<QRect> sectionsPane, urgentPane, newsPane, loadingPane, adsPane;
    } cases[] = {
        { "all measured, running", 3, page(50), page(30), page(40), false, false, pane(3, 50), pane(53, 30),
          pane(83, 474), kHiddenPane, pane(557, 40) },
        { "empty urgent body: the news pane starts under the sections", 3, page(50), kUnmeasured, page(40),
          true, false, pane(3, 50), kHiddenPane, pane(53, 504), kHiddenPane, pane(557, 40) },
        { "refreshing: the loading pane takes the news pane's place", 3, page(50), page(30), page(40), false,
          true, pane(3, 50), pane(53, 30), kHiddenPane, pane(83, 474), pane(557, 40) },
        { "content taller than the window: the middle pane gets nothing", 3, page(300), page(300), page(100),
          false, false, pane(3, 300), pane(303, 300), pane(603, 0), kHiddenPane, pane(497, 100) },
        { "no borders: the panes start at the corner", 0, page(50, 400), page(30, 400), page(40, 400), false,
          false, QRect(0, 0, 400, 50), QRect(0, 50, 400, 30), QRect(0, 80, 400, 480), kHiddenPane,
          QRect(0, 560, 400, 40) },
        { "a narrower sections page narrows the other panes", 3, page(50, 300), page(30), page(40), false,
          false, pane(3, 50), pane(53, 30, 300), pane(83, 474, 300), kHiddenPane, pane(557, 40, 300) },
        { "a wider sections page is held to the window", 3, page(50, 900), page(30), page(40), false, false,
          pane(3, 50), pane(53, 30), pane(83, 474), kHiddenPane, pane(557, 40) },
        { "sections not measured: nothing moves", 3, kUnmeasured, page(30), page(40), false, false, kKeep,
          kKeep, kKeep, kKeep, kKeep },
        { "urgent page not measured: only the sections pane moves", 3, page(50), kUnmeasured, page(40), false,
          false, pane(3, 50), kKeep, kKeep, kKeep, kKeep },
        { "ads page not measured: sections and urgent move", 3, page(50), page(30), kUnmeasured, false, false,
          pane(3, 50), pane(53, 30), kKeep, kKeep, kKeep },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PaneRects rects = LayoutPanes(
            kWindow, c.frame, { c.sections, c.urgent, c.ads, c.urgentBodyEmpty }, c.showLoading);
        EXPECT_EQ(rects.sections, c.sectionsPane);
        EXPECT_EQ(rects.urgent, c.urgentPane);
        EXPECT_EQ(rects.news, c.newsPane);
        EXPECT_EQ(rects.loading, c.loadingPane);
        EXPECT_EQ(rects.ads, c.adsPane);
    }
}

TEST(FrameWidth, SumsTheBorders)
{
    EXPECT_EQ(FrameWidth({}), 0);
    EXPECT_EQ(FrameWidth({ Border { 0x0000FF, 2 }, Border { 0xFFFFFF, 1 } }), 3);
    EXPECT_EQ(FrameWidth({ Border { 0x0000FF, -5 }, Border { 0xFFFFFF, 4 } }), 4); // negative adds nothing
    constexpr int kMax = std::numeric_limits<int>::max();
    EXPECT_EQ(FrameWidth({ Border { 0, kMax }, Border { 0, kMax }, Border { 0, 3 } }), kMax / 4)
        << "huge widths saturate instead of overflowing";
    // A frame that wide leaves no inner area, and the arithmetic built on it stays in range.
    const int b = FrameWidth({ Border { 0, kMax } });
    EXPECT_EQ(HitTestFrame(QPoint(200, 300), kWindow, b), HTTOPLEFT);
    const PaneRects rects = LayoutPanes(kWindow, b, { page(50, 400), page(20, 400), page(30, 400) }, false);
    ASSERT_TRUE(rects.sections && rects.news);
    EXPECT_EQ(rects.news->height(), 0);
}

TEST(PlaceMainWindow, RestoresOrCentres)
{
    const QRect workArea(0, 0, 1920, 1040);
    const QRect centred(760, 220, 400, 600);
    const struct {
        const char *name;
        std::optional<QRect> saved;
        QRect workArea, expected;
    } cases[] = {
        { "nothing saved", std::nullopt, workArea, centred },
        { "saved exactly the design size", QRect(10, 10, 400, 600), workArea, QRect(10, 10, 400, 600) },
        { "saved narrower than the design", QRect(100, 50, 399, 700), workArea, centred },
        { "saved lower than the design", QRect(100, 50, 500, 599), workArea, centred },
        { "saved on the second screen", QRect(2000, 100, 400, 600), workArea, QRect(2000, 100, 400, 600) },
        { "saved partly on a screen", QRect(-300, 100, 400, 600), workArea, QRect(-300, 100, 400, 600) },
        { "saved off every screen", QRect(5000, 100, 400, 600), workArea, centred },
        { "work area beside a left panel: offsets from the screen origin", std::nullopt,
          QRect(40, 0, 1880, 1040), QRect(740, 220, 400, 600) },
        { "odd remainder truncates", std::nullopt, QRect(0, 0, 1921, 1041), centred },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PlaceMainWindow(c.saved, kWindow, c.workArea,
                                  { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024) }),
                  c.expected)
            << c.name;
    }
}

TEST(ApplyMinimumSize, TheDraggedEdgeGivesWay)
{
    const QRect small(100, 100, 350, 250); // right 450, bottom 350 (exclusive)
    const struct {
        QRect proposed;
        Qt::Edges dragged;
        QRect expected;
    } cases[] = {
        { small, Qt::TopEdge | Qt::LeftEdge, QRect(50, 50, 400, 300) },
        { small, Qt::BottomEdge | Qt::RightEdge, QRect(100, 100, 400, 300) },
        { QRect(100, 100, 350, 500), Qt::LeftEdge, QRect(50, 100, 400, 500) }, // only too narrow
        { QRect(100, 100, 800, 500), Qt::LeftEdge, QRect(100, 100, 800, 500) }, // large enough
    };
    for (const auto &c : cases)
        EXPECT_EQ(ApplyMinimumSize(c.proposed, c.dragged, QSize(400, 300)), c.expected) << c.dragged.toInt();
}

TEST(HitTestFrame, BandsAreTheFrameWidthDeep)
{
    const struct {
        int x, y, frame;
        HitCode expected;
        Qt::Edges edges;
    } cases[] = {
        { 2, 2, 3, HTTOPLEFT, Qt::TopEdge | Qt::LeftEdge },
        { 3, 3, 3, HitNowhere, {} },
        { 397, 2, 3, HTTOPRIGHT, Qt::TopEdge | Qt::RightEdge },
        { 396, 1, 3, HTTOP, Qt::TopEdge },
        { 0, 599, 3, HTBOTTOMLEFT, Qt::BottomEdge | Qt::LeftEdge },
        { 399, 597, 3, HTBOTTOMRIGHT, Qt::BottomEdge | Qt::RightEdge },
        { 200, 597, 3, HTBOTTOM, Qt::BottomEdge },
        { 200, 596, 3, HitNowhere, {} },
        { 2, 300, 3, HTLEFT, Qt::LeftEdge },
        { 397, 300, 3, HTRIGHT, Qt::RightEdge },
        { 396, 300, 3, HitNowhere, {} },
        { 0, 0, 0, HitNowhere, {} }, // no borders, no bands
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " frame " << c.frame);
        const HitCode code = HitTestFrame(QPoint(c.x, c.y), kWindow, c.frame);
        EXPECT_EQ(code, c.expected);
        EXPECT_EQ(EdgesForHitCode(code), c.edges);
    }
}

TEST(IsInTitleArea, TheRightEdgeMovesWithTheExtraWidth)
{
    const struct {
        int x, y, windowWidth;
        bool expected;
    } cases[] = {
        { 10, 5, 400, true },   { 109, 24, 400, true },  { 110, 10, 400, false },
        { 9, 10, 400, false },  { 50, 25, 400, false },  { 50, 4, 400, false },
        { 209, 10, 500, true }, { 210, 10, 500, false }, { 10, 10, 500, true },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(IsInTitleArea(QPoint(c.x, c.y), { 10, 5, 110, 25 }, c.windowWidth, 400), c.expected)
            << c.x << "," << c.y << " width " << c.windowWidth;
    }
}

TEST(GripEdges, OnlyTheDiagonalResizeCursorIsAGrip)
{
    EXPECT_EQ(GripEdges(Qt::SizeFDiagCursor), Qt::BottomEdge | Qt::RightEdge);
    EXPECT_EQ(GripEdges(Qt::SizeBDiagCursor), Qt::Edges());
    EXPECT_EQ(GripEdges(Qt::ArrowCursor), Qt::Edges());
}

} // namespace
} // namespace tavrin
