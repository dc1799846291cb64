#pragma once

#include "addin_list.h"

#include <windows.h>

// Excel's list of add-ins where Excel keeps it, under
// HKCU\Software\Microsoft\Office\16.0\Excel: the installed ones as OPEN...
// values of "Options", the others under "Add-in Manager".

// Reads OPEN, OPEN1, ... in order up to the first gap, as Excel does, then
// every add-in under "Add-in Manager".
AddInList ReadAddInList();

// Writes the list back as Excel does when it quits: every OPEN... value
// goes and the installed add-ins become a fresh, dense OPEN, OPEN1, ...;
// those listed but not installed get their "Add-in Manager" value (unless
// they are in the user's add-ins folder), the installed ones lose it. Every
// other value of "Options" is left as it is.
LSTATUS WriteAddInList(const AddInList& list);
