// Storage of the process-wide application state.
#include "app/appstate.h"

#include <atomic>

namespace tavrin {

namespace {
std::atomic<int> g_appState { static_cast<int>(AppState::Starting) };
}

AppState appState()
{
    return static_cast<AppState>(g_appState.load());
}

void setAppState(AppState state)
{
    g_appState.store(static_cast<int>(state));
}

} // namespace tavrin
