// The start-up sweep of what killed writers of the settings store left beside it.
#pragma once

namespace tavrin {

// Removes the side and lock files ("<store file>.<anything>") that writers of the settings store leave
// behind when they are killed mid-write. Only our own files, and only while holding the store's lock, which
// every writer holds through its whole change: a live writer's files are never touched. Waits up to waitMs
// for a writer that holds the lock. The number of files removed; -1 when the lock was not had.
int SweepSettingsDebris(int waitMs = 1000);

} // namespace tavrin
