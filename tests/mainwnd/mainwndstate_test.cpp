// The main window's pure decisions: all panes complete, reload periods.
#include "mainwnd/mainwndstate.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrin {
namespace {

TEST(MainWindowState, AllPanesCompleteAndReloadPeriods)
{
    const std::pair<QList<int>, bool> panes[] = {
        { { 4, 4, 4, 4, 4 }, true },
        { { 4, 4, 4, 4 }, true },
        { { 4, 1, 4, 4, 4 }, false },
        { { 4, 4, 4, 4, 0 }, false },
    };
    for (const auto &[states, complete] : panes)
        EXPECT_EQ(AllPanesComplete(states), complete)
            << testing::PrintToString(std::vector<int>(states.begin(), states.end()));

    // At least a second; 2147484000 ms no longer fits a timer.
    constexpr int kMax = std::numeric_limits<int>::max();
    const std::pair<int, int> periods[] = {
        { 30, 30000 }, { 0, 1000 }, { 2147483, 2147483000 }, { 2147484, kMax }, { kMax, kMax },
    };
    for (const auto &[seconds, ms] : periods)
        EXPECT_EQ(ReloadPeriodMs(seconds), ms) << seconds;
}

} // namespace
} // namespace tavrin
