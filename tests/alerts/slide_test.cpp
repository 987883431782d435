// The pop-up's arithmetic (taskbar side, slide plan, interval, arrival, the timer's table) and the session.
#include "alerts/alertnotifications.h"
#include "alerts/slide.h"

#include <climits>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using enum SlideState;

// Ticks from `state` at `from` until the state changes; the moves made and the tick that changed it.
std::pair<int, SlideTick> runUntilChange(SlideState state, QPoint from, const SlidePlan &plan, bool mouse)
{
    int moves = 0;
    SlideTick tick { state, from };
    while ((tick = NextSlideTick(state, tick.position, plan, mouse, 8000)).state == state)
        moves += tick.move ? 1 : 0;
    return { moves, tick };
}

TEST(AlertSlide, SidesPlansIntervalsTicksAndSessions)
{
    // Screen 1000 x 800 (the second row without a taskbar); window 300 x 200 unless the row says otherwise.
    struct Row {
        QRect workArea;
        TaskbarSide side;
        QPoint start, shown, step;
        int intervalMs;
        QSize window = { 300, 200 };
    } rows[] = {
        { { 0, 0, 1000, 760 }, TaskbarSide::Bottom, { 700, 760 }, { 700, 560 }, { 0, -2 }, 7 },
        { { 0, 0, 1000, 800 }, TaskbarSide::Bottom, { 700, 800 }, { 700, 600 }, { 0, -2 }, 7 },
        { { 0, 40, 1000, 760 }, TaskbarSide::Top, { 700, -160 }, { 700, 40 }, { 0, 2 }, 7 },
        { { 60, 0, 940, 800 }, TaskbarSide::Left, { -240, 600 }, { 60, 600 }, { 2, 0 }, 5 },
        { { 0, 0, 940, 800 }, TaskbarSide::Right, { 940, 600 }, { 640, 600 }, { -2, 0 }, 5 },
        { { 0, 0, 1000, 760 }, TaskbarSide::Bottom, { 999, 760 }, { 999, 759 }, { 0, -2 }, 750, { 1, 1 } },
        { { 0, 0, 940, 800 }, TaskbarSide::Right, { 940, 799 }, { 939, 799 }, { -2, 0 }, 750, { 1, 1 } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.workArea.x() << "," << row.workArea.y() << " " << row.window.width());
        EXPECT_EQ(FindTaskbarSide(row.workArea, { 1000, 800 }), row.side);
        const SlidePlan plan = PlanSlide(row.side, row.workArea, row.window);
        EXPECT_EQ(plan, (SlidePlan { row.start, row.shown, row.step, row.intervalMs }));
    }

    // 200 pixels slide in 100 moves of 2; 5 pixels in 3, ending one pixel beyond; both slide out to the
    // start.
    for (const auto &[height, moves, end] : { std::tuple(200, 100, 560), std::tuple(5, 3, 754) }) {
        const SlidePlan plan = PlanSlide(TaskbarSide::Bottom, { 0, 0, 1000, 760 }, { 300, height });
        const auto [in, arrived] = runUntilChange(SlidingIn, plan.start, plan, false);
        EXPECT_EQ(in, moves);
        EXPECT_EQ(arrived, (SlideTick { Waiting, { 700, end }, 8000 }));
        const auto [out, hidden] = runUntilChange(SlidingOut, arrived.position, plan, false);
        EXPECT_EQ(out, moves);
        EXPECT_EQ(hidden, (SlideTick { Hidden, plan.start, std::nullopt, false, true, true }));
    }

    // The mouse keeps a waiting pop-up out, re-checking every 500 ms, and sends a leaving one back out.
    const SlidePlan plan = PlanSlide(TaskbarSide::Bottom, { 0, 0, 1000, 760 }, { 300, 200 });
    const auto next
        = [&](SlideState state, bool mouse) { return NextSlideTick(state, plan.shown, plan, mouse, 8000); };
    EXPECT_EQ(next(Waiting, true), (SlideTick { Waiting, plan.shown, 500 }));
    EXPECT_EQ(next(Waiting, false), (SlideTick { SlidingOut, plan.shown, 7 }));
    EXPECT_EQ(next(SlidingOut, true), (SlideTick { SlidingIn, plan.shown }));
    EXPECT_TRUE(next(Hidden, false).hide);
    EXPECT_TRUE(Reached({ 7, 3 }, { 6, 4 }, { 2, -2 }) && !Reached({ 5, 3 }, { 6, 4 }, { 2, -2 }));
    for (const auto &[seconds, ms] :
         { std::pair(8, 8000), std::pair(0, 1000), std::pair(-3, 1000), std::pair(INT_MAX / 999, INT_MAX) })
        EXPECT_EQ(DisplayTimeMs(seconds), ms) << seconds;

    // A Wayland session runs through XWayland where it can; only a native Wayland connection cannot place.
    EXPECT_EQ(PreferredPlatform("", "wayland", "wayland-0", ":0"), "xcb");
    EXPECT_EQ(PreferredPlatform("", "", "wayland-0", ":1"), "xcb");
    EXPECT_EQ(PreferredPlatform("", "wayland", "wayland-0", ""), "");
    EXPECT_EQ(PreferredPlatform("wayland", "wayland", "wayland-0", ":0"), "");
    EXPECT_EQ(PreferredPlatform("", "x11", "", ":0"), "");
    EXPECT_TRUE(CanPlaceOwnWindows("xcb") && CanPlaceOwnWindows("offscreen")
                && !CanPlaceOwnWindows("wayland-egl"));
}

} // namespace
} // namespace tavrin
