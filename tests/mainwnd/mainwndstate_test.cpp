// The main window's state decisions, state by state.
#include "mainwnd/mainwndstate.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrin {
namespace {

struct StateCase {
    AppState state;
    bool showsPages;
    bool layoutRuns;
    bool takesLost;
    bool asks;
    RestoreStep restore;
};

TEST(MainWindowState, DecisionsPerState)
{
    const StateCase cases[] = {
        { AppState::Starting, false, false, true, true, { AppState::Starting, false } },
        { AppState::FirstLoad, false, false, true, true, { AppState::Running, true } },
        { AppState::Running, true, true, true, true, { AppState::Running, true } },
        { AppState::Refreshing, true, true, true, true, { AppState::Running, true } },
        { AppState::Offline, false, true, false, false, { AppState::Running, true } },
        { AppState::Updating, false, true, true, false, { AppState::Updating, false } },
        { AppState::Exiting, false, false, false, false, { AppState::Exiting, false } },
    };
    for (const StateCase &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        EXPECT_EQ(ShowsPages(c.state), c.showsPages);
        EXPECT_EQ(LayoutRuns(c.state), c.layoutRuns);
        EXPECT_EQ(TakesConnectionLost(c.state), c.takesLost);
        EXPECT_EQ(AsksNewVersion(c.state, false), c.asks);
        EXPECT_FALSE(AsksNewVersion(c.state, true)) << "only one question at a time";
        const RestoreStep step = StateAfterRestore(c.state);
        EXPECT_EQ(step.state, c.restore.state);
        EXPECT_EQ(step.rebuild, c.restore.rebuild);
    }
}

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
