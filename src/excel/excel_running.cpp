#include "excel/excel_running.h"

#include "excel/excel_processes.h"
#include "report/report.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// A top-level Excel main window (class XLMAIN) on this desktop.
struct ExcelWindow {
    bool visible;  // the user's Excel; a hidden one is some program's automation Excel
    DWORD processId;
};

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

const ExcelWindow* FirstVisible(const std::vector<ExcelWindow>& windows)
{
    for (const ExcelWindow& window : windows) {
        if (window.visible) {
            return &window;
        }
    }
    return nullptr;
}

std::vector<ExcelWindow> ExcelWindows()
{
    std::vector<ExcelWindow> windows;
    EnumWindows(NoteExcelWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

bool WaitUntilExcelIsClosed()
{
    // Without an Excel process there is no Excel window; looking at the
    // processes first spares a run the desktop's windows, which cost more.
    if (ExcelProcesses().empty()) {
        return true;
    }
    for (std::vector<ExcelWindow> windows = ExcelWindows(); !windows.empty();
         windows = ExcelWindows()) {
        if (FirstVisible(windows) == nullptr) {
            ReportError("An Excel without a window is running (process " +
                            std::to_string(windows.front().processId) +
                            "); end it in Task Manager, then run this again",
                        "uninstall-addin");
            return false;
        }
        if (!AskToRetry(
                "Excel is running. Close every Excel window, then choose Retry, or choose Cancel "
                "to stop without changing anything.",
                "uninstall-addin", "Excel is running: close it and run this again")) {
            return false;
        }
    }
    return true;
}
