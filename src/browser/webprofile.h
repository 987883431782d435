// The one web profile every pane shares: storage in the data folder, safe defaults, command links caught.
#pragma once

class QWebEngineProfile;

namespace tavrin {

// Created on first use (after the application object exists) and kept until the application ends.
// Storage and cache live in DataFolder() + "webengine/"; the tavrin scheme gets a handler that fails
// every request, so a command link that reaches the network layer never shows an error page. Addresses of
// schemes the engine does not know are refused, never handed to the desktop.
QWebEngineProfile *SharedWebProfile();

} // namespace tavrin
