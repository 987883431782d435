// The main window's state decisions as plain functions of the application state.
#include "mainwnd/mainwndstate.h"

#include <algorithm>
#include <limits>

namespace tavrin {

bool ShowsPages(AppState state)
{
    return state == AppState::Running || state == AppState::Refreshing;
}

bool LayoutRuns(AppState state)
{
    return state == AppState::Running || state == AppState::Refreshing || state == AppState::Offline
        || state == AppState::Updating;
}

bool TakesConnectionLost(AppState state)
{
    return state != AppState::Offline && state != AppState::Exiting;
}

bool AsksNewVersion(AppState state, bool questionOpen)
{
    if (questionOpen)
        return false;
    return state != AppState::Offline && state != AppState::Updating && state != AppState::Exiting;
}

RestoreStep StateAfterRestore(AppState kept)
{
    switch (kept) {
    case AppState::Starting:
        return { AppState::Starting, false };
    case AppState::Updating:
        return { AppState::Updating, false };
    case AppState::Exiting:
        return { AppState::Exiting, false };
    default:
        return { AppState::Running, true };
    }
}

int ReloadPeriodMs(int seconds)
{
    const qint64 ms = qint64(std::max(1, seconds)) * 1000;
    return int(std::min<qint64>(ms, std::numeric_limits<int>::max()));
}

bool AllPanesComplete(const QList<ReadyState> &readyStates)
{
    return std::all_of(readyStates.begin(), readyStates.end(),
                       [](ReadyState state) { return state == ReadyState::Complete; });
}

} // namespace tavrin
