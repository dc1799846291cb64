#include "users/leftover_hives.h"

#include "addin_list/registry_key.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "system/owned_handle.h"
#include "users/hive_rules.h"
#include "users/loaded_hive.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// The full path of the process's executable; empty when it can't be told.
std::wstring ImagePath(HANDLE process)
{
    std::vector<wchar_t> path(32768);
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &length)) {
        return {};
    }
    return std::wstring(path.data(), length);
}

std::wstring FileNameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// What runs under processId now, against this program's file name.
LoaderState StateOfLoader(DWORD processId, const std::wstring& ownName)
{
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        switch (GetLastError()) {
        case ERROR_INVALID_PARAMETER: return LoaderState::None;
        case ERROR_ACCESS_DENIED: return LoaderState::Unopenable;
        default: return LoaderState::Unknown;
        }
    }
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE) {
        return LoaderState::Ended;
    }
    const std::wstring name = FileNameOf(ImagePath(process.Get()));
    if (name.empty() || ownName.empty()) {
        return LoaderState::Unknown;
    }
    return CompareStringOrdinal(name.c_str(), -1, ownName.c_str(), -1, TRUE) == CSTR_EQUAL
               ? LoaderState::ThisProgram
               : LoaderState::OtherProgram;
}

// Why the run that loaded it is gone, for the log.
std::string Gone(unsigned long loaderId, DWORD ownId, LoaderState loader)
{
    const std::string process = "process " + std::to_string(loaderId);
    if (loaderId == ownId) {
        return process + " is this run now: the id was reused";
    }
    switch (loader) {
    case LoaderState::None: return process + " no longer runs";
    case LoaderState::Unopenable: return process + " is the system's or a protected one";
    case LoaderState::Ended: return process + " has ended";
    case LoaderState::OtherProgram: return process + " is another program now";
    case LoaderState::ThisProgram:
    case LoaderState::Unknown: break;
    }
    return process;
}

}  // namespace

void UnloadLeftoverHives()
{
    RegistryKey users;
    std::vector<std::wstring> names;
    LSTATUS status = users.Open(HKEY_USERS, L"", KEY_READ);
    if (status == ERROR_SUCCESS) {
        status = users.ReadSubkeyNames(names);
    }
    if (status != ERROR_SUCCESS) {
        ReportError("The hives under HKEY_USERS could not be listed, to unload those that runs "
                    "which were ended left loaded: " +
                        SystemMessage(static_cast<DWORD>(status)),
                    "Error");
        return;
    }
    const DWORD ownId = GetCurrentProcessId();
    const std::wstring ownName = FileNameOf(ImagePath(GetCurrentProcess()));
    for (const std::wstring& name : names) {
        const std::optional<unsigned long> loaderId = LoaderOf(name);
        if (!loaderId) {
            continue;
        }
        const LoaderState loader = StateOfLoader(*loaderId, ownName);
        if (!IsLeftoverHive(*loaderId, ownId, loader)) {
            continue;
        }
        const std::string hive = "HKEY_USERS\\" + AnsiFromWide(name) + ", left loaded by a run " +
                                 "that was ended (" + Gone(*loaderId, ownId, loader) + ")";
        status = UnloadFromUsers(name);
        if (status == ERROR_SUCCESS) {
            LogEvent("unloaded: " + hive);
        } else if (status == ERROR_FILE_NOT_FOUND) {
            LogEvent("unloaded meanwhile, by another: " + hive);
        } else {
            ReportError("The hive " + hive +
                            ", could not be unloaded: " + SystemMessage(static_cast<DWORD>(status)),
                        "Error");
        }
    }
}
