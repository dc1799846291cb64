// Excel's processes, told by the executable registered as its local server.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The file name ("EXCEL.EXE") of the program registered as the local
// server of the class whose CLSID is given as text ("{...}"); empty when
// the registration has none.
std::wstring ServerExecutableName(const std::wstring& clsid);

// The running processes whose executable file is named executableName
// (compared as Windows compares names).
std::vector<DWORD> ProcessesNamed(const std::wstring& executableName);

// Every running Excel: the processes of the executable registered for
// Excel.Application, and any EXCEL.EXE.
std::vector<DWORD> ExcelProcesses();
