// The services of the windows: the core's, plus what only a desktop has.
#pragma once

#include "engine/services.h"

namespace tavrin {

class BrowserOpener;
class MessageBoxes;

// Built once by the application shell; every member outlives every window it is handed to.
struct AppServices {
    CoreServices core;
    MessageBoxes &boxes;
    BrowserOpener &browser;
};

} // namespace tavrin
