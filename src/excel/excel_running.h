// Excel keeps the list of installed add-ins and writes it back when it
// closes, so an Excel already open would undo a change to it later. The run
// waits until no Excel of this user is open, in any session.
#pragma once

// Returns true once no Excel of this user runs, in any session. A visible
// one on this desktop is to be closed: the user is asked to close it and
// retry, or, in a quiet run, told to. One in another session, or a hidden
// one, has no window here to close: the report names its process. Returns
// false when the user chose Cancel, at once in a quiet run or for an Excel
// with no window here, and when Excel's processes can't be listed, having
// reported it.
bool WaitUntilExcelIsClosed();

// After a run that changed the list: whether an Excel of this user started
// after this program did (other than the run's own), in any session. It
// read the old list and will write it back when it closes. Reports that
// when it is so, and when the processes can't be listed (true then too:
// that it didn't happen can't be told).
bool ReportExcelOpenedDuringRun();
