#include "excel/excel_processes.h"

#include "excel/excel_version.h"
#include "system/owned_handle.h"

#include <tlhelp32.h>

#include <algorithm>

std::wstring ServerExecutableName(const std::wstring& clsid)
{
    const std::wstring executable = ServerExecutable(clsid);
    return executable.substr(executable.find_last_of(L"\\/") + 1);
}

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

}  // namespace

std::vector<DWORD> ProcessesNamed(const std::vector<std::wstring>& executableNames)
{
    std::vector<DWORD> found;
    if (std::all_of(executableNames.begin(), executableNames.end(),
                    [](const std::wstring& name) { return name.empty(); })) {
        return found;
    }
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return found;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (NamedOneOf(entry.szExeFile, executableNames)) {
            found.push_back(entry.th32ProcessID);
        }
    }
    return found;
}

std::vector<DWORD> ExcelProcesses()
{
    // Read once: the registration stays as it is for the length of a run,
    // and a run looks at Excel's processes before and after its change.
    static const std::vector<std::wstring> names = {ServerExecutableName(RegisteredExcelClsid()),
                                                    L"EXCEL.EXE"};
    return ProcessesNamed(names);
}
