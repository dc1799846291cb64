#include "users/privileges.h"

#include "report/text.h"
#include "system/owned_handle.h"

#include <windows.h>

namespace {

bool Enable(HANDLE token, const wchar_t* privilege, std::string& why)
{
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid)) {
        why = SystemMessage(GetLastError());
        return false;
    }
    // It succeeds even for a privilege the token lacks; only the last error
    // tells.
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) ||
        GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        why = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

}  // namespace

bool EnableHivePrivileges(std::string& why)
{
    OwnedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.Put())) {
        why = SystemMessage(GetLastError());
        return false;
    }
    return Enable(token.Get(), L"SeBackupPrivilege", why) &&
           Enable(token.Get(), L"SeRestorePrivilege", why);
}
