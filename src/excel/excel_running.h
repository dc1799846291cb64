// Excel keeps the list of installed add-ins and writes it back when it
// closes, so an Excel the user already has open would undo the uninstall
// later. The run waits until no such Excel is open.
#pragma once

// Whether a top-level Excel main window is open on this desktop.
bool ExcelWindowIsOpen();

// Returns true once no Excel is open; false when the user chose Cancel or,
// in a quiet run, at once when one is open. Reports it either way.
bool WaitUntilExcelIsClosed();
