// The window and notification-area icons: the publisher's images when cached, else the built-in ones.
#pragma once

#include "config/clientconfig.h"
#include "config/texts.h"

#include <QIcon>

namespace tavrin {

// Built-in icon of the window, the notification area or the disabled notification area; the window icon
// for an id outside the table.
QIcon BuiltInIcon(IconId id);

// The icon: the first image of the cached file of the configuration's image for it, else the built-in
// icon; for an id outside the table the built-in window icon at once.
QIcon LoadAppIcon(const ClientConfig &config, IconId id);

} // namespace tavrin
