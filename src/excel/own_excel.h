// The Excel process that this run starts. COM starts it without handing
// over the process, and nothing may be asked of Excel beyond the calls the
// uninstall makes, so it is told from the outside: a process of the
// executable registered for Excel's class, of this user in this session,
// created since just before the start (told by its creation time, not by
// a list of the ids before, since Windows reuses ids).
//
// Knowing it lets the run wait until that Excel has really ended (it
// writes its add-in list and lets go of the add-in file only then), and end
// it when it is stuck or of no more use, so that no invisible Excel is left
// behind. Another program's Excel is never ended: when more than one new
// process could be this run's, none is, and a process that shows Excel's
// main window is a user's, never ended either.
#pragma once

#include "excel/seen_excel.h"

#include <windows.h>

#include <vector>

// Notes the executable registered for excelClass and the moment, just
// before this run starts Excel.
void NoteExcelStart(const CLSID& excelClass);

// Takes the processes of that executable created since then, of this user
// in this session, as this run's Excel. Called once Excel has started;
// again does nothing.
void FindOwnExcel();

// This run's Excel processes, as found.
std::vector<SeenExcel> OwnExcelSeen();

// Waits, as one step under the time limit, until this run's Excel has
// ended.
void WaitForOwnExcelToEnd();

// Whether this run's Excel ends within milliseconds (or had ended).
bool OwnExcelEndsWithin(DWORD milliseconds);

// Ends this run's Excel if it still runs, saying why in the log.
void EndOwnExcel(const char* why);

// Ends the run at once with status, and this run's Excel with it: for runs
// that can't go on, where any further call on Excel could block too.
[[noreturn]] void AbandonRun(int status);
