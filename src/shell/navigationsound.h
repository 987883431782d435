// Silences the web engine's navigation sound for the life of the process and gives it back at the end.
#pragma once

#include <QString>

namespace tavrin {

// Takes the sound over: first gives back a sound that an earlier run left stored (it ended without
// restoring), then stores the current sound and silences it. Returns the sound to give back at the
// end; empty when nothing is to be given back (the sound could not be read or stored).
QString TakeOverNavigationSound();

// Gives a saved sound back and forgets the stored copy; nothing for an empty sound.
void RestoreNavigationSound(const QString &saved);

// The sound value in force now; empty when it cannot be read.
QString CurrentNavigationSound();

} // namespace tavrin
