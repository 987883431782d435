// The window and notification-area icons: the publisher's images when cached, else the built-in ones.
#pragma once

#include "config/clientconfig.h"

#include <QIcon>

namespace tavrin {

// Built-in icon of index 0 (window), 1 (notification area), 2 (disabled notification area); the
// window icon for any other index.
QIcon BuiltInIcon(int index);

// The icon of that index: the first image of the cached file of the configuration's image for it,
// else the built-in icon; for an index outside 0..2 the built-in window icon at once.
QIcon LoadAppIcon(const ClientConfig &config, int index);
// The same against the live configuration.
QIcon LoadAppIcon(int index);

} // namespace tavrin
