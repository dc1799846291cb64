// Excel's main windows (class XLMAIN), which tell a user's Excel from one
// under automation: the user's shows its window, the other keeps it hidden.
#pragma once

#include <windows.h>

#include <vector>

struct ExcelWindow {
    bool visible;  // the user's Excel; a hidden one is some program's automation Excel
    DWORD processId;
};

// The top-level Excel main windows on this desktop. Looking at windows
// attaches the process to the desktop, which costs more than a look at the
// processes: callers look at the processes first.
std::vector<ExcelWindow> ExcelWindows();

// Whether the process shows an Excel main window: it is a user's Excel.
bool ShowsExcelWindow(const std::vector<ExcelWindow>& windows, DWORD processId);
