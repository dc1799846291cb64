// The Excel process that this run starts. COM starts it without handing
// over the process, and nothing may be asked of Excel beyond the calls the
// uninstall makes, so it is told from the outside: a process of the
// executable registered for Excel's class that is new since just before
// the start.
//
// Knowing it lets the run wait until that Excel has really ended (it
// writes its add-in list and lets go of the add-in file only then), and end
// it when it is stuck or of no more use, so that no invisible Excel is left
// behind. Another program's Excel is never ended: when more than one new
// process could be this run's, none is, and a process that shows Excel's
// main window is a user's, never ended either.
#pragma once

#include <windows.h>

#include <vector>

// Takes processes, Excel's processes as the check for an open Excel has
// just found them, as those running before this run starts Excel, so that
// the start need not look at the processes again.
void NoteExcelProcessesSeen(const std::vector<DWORD>& processes);

// Notes the processes of the executable registered for excelClass that run
// now, just before this run starts Excel, unless the check has just done so.
void NoteExcelProcessesBeforeStart(const CLSID& excelClass);

// Takes the processes of that executable that are new since then as this
// run's Excel. Called once Excel has started; again does nothing.
void FindOwnExcel();

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
