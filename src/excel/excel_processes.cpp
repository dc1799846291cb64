#include "excel/excel_processes.h"

#include "excel/excel_version.h"
#include "system/owned_handle.h"
#include "system/process_token.h"

#include <tlhelp32.h>

#include <algorithm>

namespace {

bool NamedOneOf(const wchar_t* executable, const std::vector<std::wstring>& names)
{
    for (const std::wstring& name : names) {
        if (!name.empty() &&
            CompareStringOrdinal(executable, -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

unsigned long long Ticks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

SeenExcel Seen(DWORD id, HANDLE process)
{
    SeenExcel seen;
    seen.id = id;
    if (process != nullptr) {
        seen.created = ProcessCreationTime(process);
        seen.sid = ProcessUserSid(process);
        DWORD session = 0;
        seen.sessionKnown = ProcessSession(process, session);
        seen.session = session;
    }
    return seen;
}

}  // namespace

unsigned long long ProcessCreationTime(HANDLE process)
{
    FILETIME created = {};
    FILETIME exited = {};
    FILETIME kernel = {};
    FILETIME user = {};
    return GetProcessTimes(process, &created, &exited, &kernel, &user) ? Ticks(created) : 0;
}

std::wstring ServerExecutableName(const std::wstring& clsid)
{
    const std::wstring executable = ServerExecutable(clsid);
    return executable.substr(executable.find_last_of(L"\\/") + 1);
}

bool ProcessesNamed(const std::vector<std::wstring>& executableNames, std::vector<SeenExcel>& found,
                    DWORD& error)
{
    found.clear();
    if (std::all_of(executableNames.begin(), executableNames.end(),
                    [](const std::wstring& name) { return name.empty(); })) {
        return true;
    }
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Process32FirstW(snapshot.Get(), &entry)) {
        error = GetLastError();
        return false;
    }
    do {
        if (!NamedOneOf(entry.szExeFile, executableNames)) {
            continue;
        }
        const OwnedHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process && GetLastError() == ERROR_INVALID_PARAMETER) {
            continue;  // it ended meanwhile
        }
        found.push_back(Seen(entry.th32ProcessID, process.Get()));
    } while (Process32NextW(snapshot.Get(), &entry));
    return true;
}

bool ExcelProcesses(std::vector<SeenExcel>& found, DWORD& error)
{
    // Read once: the registration stays as it is for the length of a run,
    // and a run looks at Excel's processes before and after its change.
    static const std::vector<std::wstring> names = {ServerExecutableName(RegisteredExcelClsid()),
                                                    L"EXCEL.EXE"};
    return ProcessesNamed(names, found, error);
}

const SeenExcel& ThisProcess()
{
    static const SeenExcel self = Seen(GetCurrentProcessId(), GetCurrentProcess());
    return self;
}

unsigned long long Now()
{
    FILETIME now = {};
    // The clock process creation times are read from.
    GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}
