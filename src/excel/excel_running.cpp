#include "excel/excel_running.h"

#include "excel/excel_processes.h"
#include "excel/excel_windows.h"
#include "excel/own_excel.h"
#include "report/report.h"
#include "system/owned_handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

const ExcelWindow* FirstVisible(const std::vector<ExcelWindow>& windows)
{
    for (const ExcelWindow& window : windows) {
        if (window.visible) {
            return &window;
        }
    }
    return nullptr;
}

ULONGLONG StartTime(HANDLE process)
{
    FILETIME created = {};
    FILETIME exited = {};
    FILETIME kernel = {};
    FILETIME user = {};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Whether the process started after this program did; false when that
// can't be told.
bool StartedAfterThisProgram(DWORD processId)
{
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        return false;
    }
    const ULONGLONG started = StartTime(process.Get());
    return started != 0 && started > StartTime(GetCurrentProcess());
}

}  // namespace

bool WaitUntilExcelIsClosed()
{
    // Without an Excel process there is no Excel window; looking at the
    // processes first spares a run the desktop's windows, which cost more.
    const std::vector<DWORD> processes = ExcelProcesses();
    if (processes.empty()) {
        // The same look serves to tell the Excel this run starts.
        NoteExcelProcessesSeen(processes);
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

bool ReportExcelOpenedDuringRun()
{
    std::vector<DWORD> opened;
    for (DWORD id : ExcelProcesses()) {
        if (StartedAfterThisProgram(id)) {
            opened.push_back(id);
        }
    }
    if (opened.empty()) {
        return false;
    }
    const std::vector<ExcelWindow> windows = ExcelWindows();
    for (DWORD id : opened) {
        if (ShowsExcelWindow(windows, id)) {
            ReportError("Excel was opened during the run and may put the add-in back when it "
                        "closes; run this again once it is closed",
                        "uninstall-addin");
            return true;
        }
    }
    return false;
}
