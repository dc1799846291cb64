// Waiting on the program's one thread, which lives in a single-threaded
// apartment and so owes COM and other programs the handling of its window
// messages even while it waits.
#pragma once

#include <windows.h>

// Waits until object is signalled, or with a null object only for the time,
// for at most milliseconds (INFINITE: no limit), handling window messages
// meanwhile. True when object was signalled.
bool WaitWithMessages(HANDLE object, DWORD milliseconds);
