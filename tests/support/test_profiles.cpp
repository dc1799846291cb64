#include "test_profiles.h"

namespace {

// Where a hive is put together before it is saved to its file.
constexpr wchar_t kScratchKey[] = L"Software\\uninstall-addin-tests\\hive";

bool Enable(HANDLE token, const wchar_t* privilege)
{
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid) &&
           AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
           GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

}  // namespace

bool EnableHivePrivileges()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    const bool enabled =
        Enable(token, L"SeBackupPrivilege") && Enable(token, L"SeRestorePrivilege");
    CloseHandle(token);
    return enabled;
}

bool SaveHive(const std::wstring& file, const std::vector<HiveValue>& values)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
    HKEY scratch = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &scratch, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool saved = true;
    for (const HiveValue& value : values) {
        const DWORD size = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
        saved = saved && RegSetKeyValueW(scratch, value.key.c_str(), value.name.c_str(), REG_SZ,
                                         value.data.c_str(), size) == ERROR_SUCCESS;
    }
    DeleteFileW(file.c_str());
    saved = saved && RegSaveKeyW(scratch, file.c_str(), nullptr) == ERROR_SUCCESS;
    RegCloseKey(scratch);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
    return saved;
}

bool RegisterProfile(const std::wstring& sid, const std::wstring& folder)
{
    const std::wstring key = std::wstring(kProfileListKey) + L"\\" + sid;
    const DWORD size = static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"ProfileImagePath", REG_EXPAND_SZ,
                           folder.c_str(), size) == ERROR_SUCCESS;
}

void UnregisterProfile(const std::wstring& sid)
{
    // The default profile has no SID; an empty name would take the whole
    // list with it, the prefix's own user among it.
    if (sid.empty()) {
        return;
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kProfileListKey) + L"\\" + sid).c_str());
}

std::vector<std::wstring> LoadedHives()
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(HKEY_USERS, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}
