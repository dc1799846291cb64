#pragma once

#include <windows.h>

// The longest run a window timer can time.
inline constexpr DWORD kMaxWindowSeconds = USER_TIMER_MAXIMUM / 1000;

// Excel's main window, of class XLMAIN, which is how programs tell that
// Excel is open. A user's Excel shows it; one under automation keeps it
// hidden. Destroying it ends the thread's message loop.
HWND CreateMainWindow(bool visible);

// Runs the thread's messages until the window is closed or the seconds have
// passed, then destroys it. False when no timer could be set.
bool KeepWindowFor(HWND window, DWORD seconds);

// Runs the thread's messages until the loop is told to end.
void PumpMessages();
