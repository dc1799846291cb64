// User profiles made for a test or a benchmark, as a machine with several
// users has them: each listed under ProfileList, with a folder holding an
// NTUSER.DAT saved by RegSaveKey.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline constexpr wchar_t kProfileListKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// A REG_SZ value below a hive's root.
struct HiveValue {
    std::wstring key;  // "Software\\Microsoft\\Office\\16.0\\Excel\\Options"
    std::wstring name;
    std::wstring data;
};

// What saving and loading hives needs; under Wine any process may.
bool EnableHivePrivileges();

// Writes a hive file holding these values (replacing any file there).
bool SaveHive(const std::wstring& file, const std::vector<HiveValue>& values);

// Lists a profile under ProfileList with its folder, or takes it off.
bool RegisterProfile(const std::wstring& sid, const std::wstring& folder);
void UnregisterProfile(const std::wstring& sid);

// The names of the hives loaded under HKEY_USERS.
std::vector<std::wstring> LoadedHives();
