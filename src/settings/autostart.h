// Start with the desktop session: the per-user XDG autostart entry that launches the running executable.
#pragma once

#include <QString>

namespace tavrin {

// $XDG_CONFIG_HOME/autostart/tavrin.desktop (default ~/.config/...), computed on each call.
QString AutostartEntryPath();
// Full path of the running executable.
QString RunningExecutablePath();
// The Exec= value that starts the executable: its path in double quotes, escaped as desktop entries require.
// Empty when the path cannot be written in a desktop entry (a line break).
QString QuotedExecValue(const QString &executablePath);

// True when the entry exists; its content is not judged, as with the value it stands for.
bool AutostartEntryExists();
// Writes a complete entry (replacing any earlier one at once, never half-written); false on failure.
bool WriteAutostartEntry(const QString &executablePath);
// Deletes the entry; false when there was none or it could not be deleted.
bool RemoveAutostartEntry();

} // namespace tavrin
