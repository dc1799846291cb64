#include "excel/excel_windows.h"

namespace {

BOOL CALLBACK NoteExcelWindow(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    if (GetClassNameW(window, className, 16) > 0 && lstrcmpiW(className, L"XLMAIN") == 0) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        reinterpret_cast<std::vector<ExcelWindow>*>(found)->push_back(
            {IsWindowVisible(window) != FALSE, processId});
    }
    return TRUE;
}

}  // namespace

std::vector<ExcelWindow> ExcelWindows()
{
    std::vector<ExcelWindow> windows;
    EnumWindows(NoteExcelWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool ShowsExcelWindow(const std::vector<ExcelWindow>& windows, DWORD processId)
{
    for (const ExcelWindow& window : windows) {
        if (window.visible && window.processId == processId) {
            return true;
        }
    }
    return false;
}
