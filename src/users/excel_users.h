// Whose Excel is running: such a user's list is left alone, as that Excel
// would write its old list back when it closes.
#pragma once

#include <string>
#include <vector>

struct RunningExcels {
    std::vector<std::wstring> sids;  // the users whose Excel runs
    bool ownerUnknown = false;       // an Excel runs whose user can't be told
};

// The processes of the executable registered for Excel.Application (and of
// any EXCEL.EXE), by their users.
RunningExcels UsersRunningExcel();
