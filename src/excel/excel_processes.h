// Excel's processes, told by the executable registered as its local server.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The file name ("EXCEL.EXE") of the program registered as the local
// server of the class whose CLSID is given as text ("{...}"); empty when
// the registration has none.
std::wstring ServerExecutableName(const std::wstring& clsid);

// The running processes whose executable file has one of these names
// (compared as Windows compares names), from one snapshot of the
// processes: each snapshot copies the whole process list, which is most of
// what a look costs.
std::vector<DWORD> ProcessesNamed(const std::vector<std::wstring>& executableNames);

// Every running Excel: the processes of the executable registered for
// Excel.Application, and any EXCEL.EXE, from one snapshot.
std::vector<DWORD> ExcelProcesses();
