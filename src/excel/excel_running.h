// Excel keeps the list of installed add-ins and writes it back when it
// closes, so an Excel already open would undo a change to it later. The run
// waits until no such Excel is open.
#pragma once

// Returns true once no Excel is open. A visible one is the user's: the user
// is asked to close it and retry, or, in a quiet run, told to. A hidden one
// has no window to close: the report names its process. Returns false when
// the user chose Cancel, or at once in a quiet run or for a hidden Excel,
// having reported it.
bool WaitUntilExcelIsClosed();

// After a run that changed the list: whether a visible Excel is running
// that started after this program did. The user opened it during the run;
// it read the old list and will write it back when it closes. Reports that
// when it is so. Only a new Excel process costs a look at the windows.
bool ReportExcelOpenedDuringRun();
