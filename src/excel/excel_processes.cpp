#include "excel/excel_processes.h"

#include "excel/excel_version.h"

#include <tlhelp32.h>

std::wstring ServerExecutableName(const std::wstring& clsid)
{
    const std::wstring executable = ServerExecutable(clsid);
    return executable.substr(executable.find_last_of(L"\\/") + 1);
}

std::vector<DWORD> ProcessesNamed(const std::wstring& executableName)
{
    std::vector<DWORD> found;
    if (executableName.empty()) {
        return found;
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (CompareStringOrdinal(entry.szExeFile, -1, executableName.c_str(), -1, TRUE) ==
            CSTR_EQUAL) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

std::vector<DWORD> ExcelProcesses()
{
    const std::wstring registered = ServerExecutableName(RegisteredExcelClsid());
    std::vector<DWORD> processes = ProcessesNamed(registered);
    if (CompareStringOrdinal(registered.c_str(), -1, L"EXCEL.EXE", -1, TRUE) != CSTR_EQUAL) {
        const std::vector<DWORD> excel = ProcessesNamed(L"EXCEL.EXE");
        processes.insert(processes.end(), excel.begin(), excel.end());
    }
    return processes;
}
