// The main window's state decisions as plain functions of the application state.
#pragma once

#include "base/appstate.h"
#include "browser/readystate.h"

#include <QList>

namespace tavrin {

// Reload timers, news for alerts and "page complete" bookkeeping act only while pages are shown.
bool ShowsPages(AppState state);
// The layout runs once pages have been placed: Running, Refreshing, Offline and Updating.
bool LayoutRuns(AppState state);
// A lost connection is taken in every state but Offline (already taken) and Exiting.
bool TakesConnectionLost(AppState state);
// The update question is asked unless Offline, Updating or Exiting, or while it is already open.
bool AsksNewVersion(AppState state, bool questionOpen);

// What a restored connection leads to, given the state kept when it was lost.
struct RestoreStep {
    AppState state = AppState::Starting; // the state the window takes
    bool rebuild = false; // pages are rebuilt (RefreshAll, then the urgent page)
};
RestoreStep StateAfterRestore(AppState kept);

// A reload timer's period: the configured seconds × 1000 ms, at least one second, and no more than a
// timer can hold (a huge configured period would otherwise overflow into a timer that never runs).
int ReloadPeriodMs(int seconds);

// Whether every pane's ready state is complete, read in order and stopping at the first that is not.
bool AllPanesComplete(const QList<ReadyState> &readyStates);

} // namespace tavrin
