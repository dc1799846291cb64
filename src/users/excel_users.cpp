#include "users/excel_users.h"

#include "excel/excel_version.h"
#include "users/user_identity.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

bool SameName(const wchar_t* a, const std::wstring& b)
{
    return !b.empty() && CompareStringOrdinal(a, -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

RunningExcels UsersRunningExcel()
{
    RunningExcels running;
    const std::wstring registered = RegisteredExcelExecutable();
    const std::wstring registeredName = registered.substr(registered.find_last_of(L"\\/") + 1);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        running.ownerUnknown = true;
        return running;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (!SameName(entry.szExeFile, registeredName) &&
            !SameName(entry.szExeFile, L"EXCEL.EXE")) {
            continue;
        }
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
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
    CloseHandle(snapshot);
    return running;
}
