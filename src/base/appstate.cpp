// Storage of the process-wide application state.
#include "base/appstate.h"

#include <atomic>

namespace tavrin {

namespace {
std::atomic<int> g_appState { static_cast<int>(AppState::Starting) };
std::atomic<int> g_stateBeforeOffline { static_cast<int>(AppState::Starting) };
} // namespace

AppState appState()
{
    return static_cast<AppState>(g_appState.load());
}

void setAppState(AppState state)
{
    g_appState.store(static_cast<int>(state));
}

AppState stateBeforeOffline()
{
    return static_cast<AppState>(g_stateBeforeOffline.load());
}

void setStateBeforeOffline(AppState state)
{
    g_stateBeforeOffline.store(static_cast<int>(state));
}

} // namespace tavrin
