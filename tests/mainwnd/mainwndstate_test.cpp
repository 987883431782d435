// The main window's pure decisions: all panes complete, reload periods.
#include "mainwnd/mainwndstate.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrin {
namespace {

TEST(MainWindowState, AllPanesComplete)
{
    const struct {
        QList<int> states;
        bool complete;
    } cases[] = {
        { { 4, 4, 4, 4, 4 }, true },  { { 4, 4, 4, 4 }, true },     { { 4, 1, 4, 4, 4 }, false },
        { { 4, 4, 4, 4, 0 }, false }, { { 0, 0, 0, 0, 0 }, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::vector<int>(c.states.begin(), c.states.end())));
        EXPECT_EQ(AllPanesComplete(c.states), c.complete);
    }
}

TEST(MainWindowState, ReloadPeriodMs)
{
    const struct {
        int seconds;
        int ms;
    } cases[] = {
        { 30, 30000 },
        { 1, 1000 },
        { 0, 1000 },
        { -5, 1000 },
        { 2147483, 2147483000 },
        { 2147484, std::numeric_limits<int>::max() }, // 2147484000 ms no longer fits a timer
        { std::numeric_limits<int>::max(), std::numeric_limits<int>::max() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(ReloadPeriodMs(c.seconds), c.ms);
    }
}

} // namespace
} // namespace tavrin
