// The web engine's version, and the check of its major number that start-up makes.
#pragma once

#include <QString>

namespace tavrin {

// The lowest major version the panes work with.
constexpr int kMinimumEngineMajor = 6;

// The engine's version text ("102.0.5005.177"): the Chromium version QtWebEngine is built on, else
// the Chrome/NN token of the default profile's user agent; empty when neither is known.
QString WebEngineVersion();
// Whether a version text passes: its plain decimal value (the number before the first dot) is at
// least kMinimumEngineMajor. An empty text fails.
bool EngineVersionAccepted(const QString &version);
// The Chrome/NN.N.N.N token of a user-agent text; empty without one.
QString ChromeVersionFromUserAgent(const QString &userAgent);

} // namespace tavrin
