// The web engine's process model, chosen by the program: all of the client's pages share one renderer.
#pragma once

#include <QByteArray>

namespace tavrin {

// The engine's command line: `given` (the user's QTWEBENGINE_CHROMIUM_FLAGS) with our process switches
// added where the user did not give them.
QByteArray WithProcessModel(const QByteArray &given);
// Puts WithProcessModel() into the environment; must run before the application object exists.
void ConfigureWebEngineProcesses();

} // namespace tavrin
