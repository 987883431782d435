// The process-wide application state: written by the GUI thread only, read by every thread.
#pragma once

namespace tavrin {

enum class AppState {
    Starting = 0,
    FirstLoad = 1,
    Running = 2,
    Refreshing = 3,
    Offline = 4,
    Updating = 5,
    Exiting = 6,
};

// The current state (an atomic read, safe from any thread).
AppState appState();
// Sets the state; only the GUI thread calls it.
void setAppState(AppState state);

// The state that was current when the connection was lost, restored when it returns.
AppState stateBeforeOffline();
void setStateBeforeOffline(AppState state);

} // namespace tavrin
