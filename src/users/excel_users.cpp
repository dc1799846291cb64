#include "users/excel_users.h"

#include "excel/excel_processes.h"
#include "users/user_identity.h"

#include <windows.h>

#include <algorithm>

namespace {

void NoteUsers(const std::vector<DWORD>& processes, RunningExcels& running)
{
    for (DWORD id : processes) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (process == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
            continue;  // it ended meanwhile
        }
        const std::wstring sid = process != nullptr ? ProcessUserSid(process) : std::wstring();
        if (process != nullptr) {
            CloseHandle(process);
        }
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
