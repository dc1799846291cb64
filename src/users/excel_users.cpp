#include "users/excel_users.h"

#include "excel/excel_processes.h"
#include "system/owned_handle.h"
#include "users/user_identity.h"

#include <windows.h>

#include <algorithm>

namespace {

void NoteUsers(const std::vector<DWORD>& processes, RunningExcels& running)
{
    for (DWORD id : processes) {
        const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
        if (!process && GetLastError() == ERROR_INVALID_PARAMETER) {
            continue;  // it ended meanwhile
        }
        const std::wstring sid = process ? ProcessUserSid(process.Get()) : std::wstring();
        if (sid.empty()) {
            running.ownerUnknown = true;
        } else if (std::find(running.sids.begin(), running.sids.end(), sid) == running.sids.end()) {
            running.sids.push_back(sid);
        }
    }
}

}  // namespace

RunningExcels UsersRunningExcel()
{
    RunningExcels running;
    NoteUsers(ExcelProcesses(), running);
    return running;
}
