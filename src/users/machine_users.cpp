#include "users/machine_users.h"

#include "addin_list/addin_match.h"
#include "addin_list/registry_key.h"
#include "report/report.h"
#include "report/text.h"
#include "users/privileges.h"
#include "users/user_identity.h"

#include <string>

namespace {

constexpr wchar_t kProfileListKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// SYSTEM, LOCAL SERVICE and NETWORK SERVICE have profiles, but are no
// users who run Excel.
bool IsServiceAccount(const std::wstring& sid)
{
    return sid == L"S-1-5-18" || sid == L"S-1-5-19" || sid == L"S-1-5-20";
}

std::wstring Expanded(const std::wstring& text)
{
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0) {
        return text;
    }
    std::wstring expanded(size, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), &expanded[0], size);
    if (length == 0 || length > size) {
        return text;
    }
    expanded.resize(length - 1);
    return expanded;
}

std::wstring StringValue(const RegistryKey& key, const wchar_t* name)
{
    std::wstring value;
    return key.ReadString(name, value) == ERROR_SUCCESS ? Expanded(value) : std::wstring();
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring HiveFile(const std::wstring& folder)
{
    return folder + L"\\NTUSER.DAT";
}

std::wstring LastSegment(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// The new users' profile: where ProfileList says, or its usual place.
std::wstring DefaultProfileFolder(const RegistryKey& profileList)
{
    const std::wstring folder = StringValue(profileList, L"Default");
    if (!folder.empty()) {
        return folder;
    }
    const std::wstring profiles = StringValue(profileList, L"ProfilesDirectory");
    return profiles.empty() ? std::wstring() : profiles + L"\\Default";
}

// The user's %APPDATA%, as their own hive says, with their profile folder
// for %USERPROFILE%.
std::wstring RoamingFolder(HKEY userRoot, const std::wstring& profileFolder)
{
    RegistryKey folders;
    std::wstring appData;
    if (folders.Open(userRoot, kShellFoldersKey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
        folders.ReadString(L"AppData", appData) == ERROR_SUCCESS && !appData.empty()) {
        const std::wstring variable = L"%USERPROFILE%";
        if (appData.size() >= variable.size() &&
            CompareStringOrdinal(appData.c_str(), static_cast<int>(variable.size()),
                                 variable.c_str(), static_cast<int>(variable.size()),
                                 TRUE) == CSTR_EQUAL) {
            appData = profileFolder + appData.substr(variable.size());
        }
        return Expanded(appData);
    }
    return profileFolder + L"\\AppData\\Roaming";
}

// A name under HKEY_USERS that no one else uses.
std::wstring LoadName()
{
    static unsigned loaded = 0;
    return L"uninstall-addin-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++loaded);
}

}  // namespace

bool MachineProfiles(std::vector<Profile>& profiles, std::string& why)
{
    profiles.clear();
    RegistryKey profileList;
    LSTATUS status = profileList.Open(HKEY_LOCAL_MACHINE, kProfileListKey, KEY_READ);
    std::vector<std::wstring> sids;
    if (status == ERROR_SUCCESS) {
        status = profileList.ReadSubkeyNames(sids);
    }
    if (status != ERROR_SUCCESS) {
        why = "the profile list (HKEY_LOCAL_MACHINE\\" + AnsiFromWide(kProfileListKey) +
              ") could not be read: " + SystemMessage(static_cast<DWORD>(status));
        return false;
    }
    for (const std::wstring& sid : sids) {
        // A name like "S-1-5-21-...bak" is Windows' copy of a broken profile.
        if (sid.compare(0, 4, L"S-1-") != 0 || sid.find(L'.') != std::wstring::npos ||
            IsServiceAccount(sid)) {
            continue;
        }
        RegistryKey profile;
        std::wstring folder;
        if (profile.Open(profileList.Get(), sid, KEY_QUERY_VALUE) == ERROR_SUCCESS) {
            folder = StringValue(profile, L"ProfileImagePath");
        }
        profiles.push_back({sid, folder, UserLabel(sid, LastSegment(folder))});
    }
    const std::wstring defaultFolder = DefaultProfileFolder(profileList);
    if (!defaultFolder.empty() && FileExists(HiveFile(defaultFolder))) {
        profiles.push_back({L"", defaultFolder, "Default (new users' profile)"});
    }
    return true;
}

bool StartAllUsersRun(const char* doing, std::vector<Profile>& profiles)
{
    std::string why;
    if (!EnableHivePrivileges(why)) {
        ReportError(std::string(doing) + " every user's Excel lists needs administrator rights (" +
                        why + ")",
                    "Error");
        return false;
    }
    if (!MachineProfiles(profiles, why)) {
        ReportError("Every user's Excel lists could not be reached: " + why, "Error");
        return false;
    }
    return true;
}

bool IsHiveLoaded(const std::wstring& sid)
{
    RegistryKey hive;
    return !sid.empty() && hive.Open(HKEY_USERS, sid, KEY_READ) == ERROR_SUCCESS;
}

bool ProfileHive::Open(const Profile& profile, std::string& why)
{
    Close();
    std::wstring name = profile.sid;
    if (!IsHiveLoaded(profile.sid)) {
        if (profile.folder.empty()) {
            why = "its profile has no folder";
            return false;
        }
        const std::wstring file = HiveFile(profile.folder);
        name = LoadName();
        const LSTATUS status = RegLoadKeyW(HKEY_USERS, name.c_str(), file.c_str());
        if (status != ERROR_SUCCESS) {
            // A file that is no hive may still leave an empty key behind.
            if (IsHiveLoaded(name)) {
                RegUnLoadKeyW(HKEY_USERS, name.c_str());
            }
            why = "its hive \"" + AnsiFromWide(file) +
                  "\" could not be loaded: " + SystemMessage(static_cast<DWORD>(status));
            return false;
        }
        m_loadedName = name;
    }
    HKEY root = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_USERS, name.c_str(), 0, KEY_READ | KEY_WRITE, &root);
    if (status != ERROR_SUCCESS) {
        why = "its hive (HKEY_USERS\\" + AnsiFromWide(name) +
              ") could not be opened: " + SystemMessage(static_cast<DWORD>(status));
        Close();
        return false;
    }
    m_user.label = profile.label;
    m_user.root = root;
    m_user.rootName = "HKEY_USERS\\" + AnsiFromWide(name);
    // The run is SYSTEM or an administrator here, and the hive is its user's
    // to shape.
    m_user.links = KeyLinks::Refuse;
    m_user.paths = UserPaths(RoamingFolder(root, profile.folder) + L"\\Microsoft\\AddIns");
    return true;
}

bool ProfileHive::Close(std::string* why)
{
    if (m_user.root != nullptr) {
        RegCloseKey(m_user.root);
        m_user.root = nullptr;
    }
    if (m_loadedName.empty()) {
        return true;
    }
    const LSTATUS status = RegUnLoadKeyW(HKEY_USERS, m_loadedName.c_str());
    if (status != ERROR_SUCCESS && why != nullptr) {
        *why = "its hive (HKEY_USERS\\" + AnsiFromWide(m_loadedName) +
               ") could not be unloaded: " + SystemMessage(static_cast<DWORD>(status));
    }
    m_loadedName.clear();
    return status == ERROR_SUCCESS;
}
