#include "pretend_running.h"

#include "addin_keys.h"
#include "main_window.h"

#include <string>

int PretendRunning(DWORD seconds)
{
    const AddInList atStart = ReadAddInList();
    HWND window = CreateMainWindow(true);
    if (!window || !KeepWindowFor(window, seconds))
        return 1;
    return WriteAddInList(atStart) == ERROR_SUCCESS ? 0 : 1;
}

namespace {

BOOL CALLBACK FindVisibleMainWindow(HWND window, LPARAM processId)
{
    wchar_t className[16] = {};
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    const bool found = owner == static_cast<DWORD>(processId) && IsWindowVisible(window) &&
                       GetClassNameW(window, className, 16) > 0 &&
                       lstrcmpW(className, L"XLMAIN") == 0;
    return found ? FALSE : TRUE;
}

bool ShowsMainWindow(DWORD processId)
{
    // EnumWindows reports FALSE when the callback stopped it.
    return !EnumWindows(FindVisibleMainWindow, static_cast<LPARAM>(processId));
}

}  // namespace

void OpenUsersExcel()
{
    wchar_t exe[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, exe, MAX_PATH) == 0)
        return;
    std::wstring line = L"\"" + std::wstring(exe) + L"\" /pretend-running 120";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    for (int i = 0; i < 200 && !ShowsMainWindow(process.dwProcessId); ++i)
        Sleep(50);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

int PretendHidden(DWORD seconds)
{
    HWND window = CreateMainWindow(false);
    return window && KeepWindowFor(window, seconds) ? 0 : 1;
}
