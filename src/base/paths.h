// Where the program keeps its files, from the desktop's standard folders; every path is computed here.
#pragma once

#include <QString>

namespace tavrin {

// Gives Qt the organisation and application names once, before anything asks for a standard folder.
void SetApplicationIdentity();

// The per-user settings file: $XDG_CONFIG_HOME/Belmoreta/Tavrin.conf (default ~/.config/...).
QString SettingsFilePath();
// $XDG_DATA_HOME/Tavrin/ (created when missing), ending with "/"; "" when it cannot be made.
QString DataFolder();
// $XDG_CACHE_HOME/Tavrin/ (default ~/.cache/Tavrin/), ending with "/"; not created here.
QString CacheFolder();
// DataFolder() + "images/" + id + "." + the text after the last "." of url; "/" and NUL in the two
// pieces become "_", so an image never lands outside the images folder.
QString ImagePath(const QString &imageId, const QString &imageUrl);
// The user's private runtime folder, ending with "/": $XDG_RUNTIME_DIR when set, else a folder of our
// own, 0700, in the system's temporary folder. When that one cannot be made safe (a link, a folder of
// another user or open to others, planted by someone else), the fallback below instead. "" when neither is.
QString RuntimeFolder();
// CacheFolder() + "runtime/", 0700: a runtime folder in the user's own tree, which nobody else can plant.
QString FallbackRuntimeFolder();
// "Tavrin/" in the runtime folder, created 0700 and checked the same way; in the fallback folder when the
// runtime folder's one cannot be made safe; "" when neither can.
QString TempFolder();
// The file whose lock says a copy of the program runs, in RuntimeFolder(); "" when there is none.
QString SingleInstanceLockPath();

} // namespace tavrin
