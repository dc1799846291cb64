#pragma once

#include <windows.h>

// The longest run a window timer can time.
inline constexpr DWORD kMaxPretendSeconds = USER_TIMER_MAXIMUM / 1000;

// Plays a user's own Excel, open while the uninstaller runs: a main window
// that a client can find, kept for the given time or until it is closed.
// When it goes, it writes back the list of add-ins it found at its start, as
// Excel does on closing, undoing what was changed meanwhile. Returns the
// process's exit status.
int PretendRunning(DWORD seconds);
