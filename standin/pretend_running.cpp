#include "pretend_running.h"

#include "addin_keys.h"
#include "main_window.h"

int PretendRunning(DWORD seconds)
{
    const AddInList atStart = ReadAddInList();
    HWND window = CreateMainWindow(true);
    if (!window || !KeepWindowFor(window, seconds))
        return 1;
    return WriteAddInList(atStart) == ERROR_SUCCESS ? 0 : 1;
}

int PretendHidden(DWORD seconds)
{
    HWND window = CreateMainWindow(false);
    return window && KeepWindowFor(window, seconds) ? 0 : 1;
}
