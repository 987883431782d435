// The main window's pure decisions: all panes complete, reload periods.
#include "mainwnd/mainwndstate.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrin {
namespace {

TEST(MainWindowState, AllPanesCompleteAndReloadPeriods)
{
    const ReadyState done = ReadyState::Complete, loading = ReadyState::Loading,
                     none = ReadyState::Uninitialized;
    const std::pair<QList<ReadyState>, bool> panes[] = {
        { { done, done, done, done, done }, true },
        { { done, done, done, done }, true },
        { { done, loading, done, done, done }, false },
        { { done, done, done, done, none }, false },
    };
    for (const auto &[states, complete] : panes) {
        SCOPED_TRACE(states.size());
        EXPECT_EQ(AllPanesComplete(states), complete);
    }

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
