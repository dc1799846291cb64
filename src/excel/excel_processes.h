// Excel's processes, told by the executable registered as its local server,
// with whose they are, where and since when.
#pragma once

#include "excel/seen_excel.h"

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
// what a look costs. False, with the error, when the processes can't be
// listed: that says nothing of whether Excel runs.
bool ProcessesNamed(const std::vector<std::wstring>& executableNames, std::vector<SeenExcel>& found,
                    DWORD& error);

// Every running Excel: the processes of the executable registered for
// Excel.Application, and any EXCEL.EXE, from one snapshot.
bool ExcelProcesses(std::vector<SeenExcel>& found, DWORD& error);

// When a process was created, in the ticks of SeenExcel::created; 0 when it
// can't be told.
unsigned long long ProcessCreationTime(HANDLE process);

// This process, as a SeenExcel tells a process: its user, session and start.
const SeenExcel& ThisProcess();

// The moment now, in the ticks of SeenExcel::created.
unsigned long long Now();
