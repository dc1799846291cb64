#pragma once

#include <windows.h>

// Plays a user's own Excel, open while the uninstaller runs: a main window
// that a client can find, kept for the given time or until it is closed.
// When it goes, it writes back the list of add-ins it found at its start, as
// Excel does on closing, undoing what was changed meanwhile. Returns the
// process's exit status.
int PretendRunning(DWORD seconds);

// Plays another program's Excel under automation, or one left stuck: only a
// hidden main window, kept for the given time or until it is closed. It
// leaves the list of add-ins alone. Returns the process's exit status.
int PretendHidden(DWORD seconds);

// As a user who opens Excel while the uninstaller runs: starts this program
// playing a user's own Excel (as /pretend-running) and returns once its
// window shows.
void OpenUsersExcel();
