#include "users/machine_users.h"

#include "addin_list/addin_match.h"
#include "addin_list/registry_key.h"
#include "report/report.h"
#include "report/text.h"
#include "system/file_state.h"
#include "users/leftover_hives.h"
#include "users/privileges.h"
#include "users/profile_entries.h"
#include "users/user_environment.h"
#include "users/user_identity.h"

#include <string>

namespace {

constexpr wchar_t kProfileListKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

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

std::wstring HiveFile(const std::wstring& folder)
{
    return folder + L"\\NTUSER.DAT";
}

// Whether a profile's folder or file is not there: gone, or on a drive this
// machine no longer has (a disk taken out).
bool NotThere(const std::wstring& path)
{
    const FileState state = StateOf(path);
    return state == FileState::Gone || state == FileState::NoDrive;
}

// A mandatory profile's hive is NTUSER.MAN, which users can't change; it
// counts only where there is no NTUSER.DAT.
std::wstring ProfileHiveFile(const std::wstring& folder)
{
    const std::wstring mandatory = folder + L"\\NTUSER.MAN";
    return NotThere(HiveFile(folder)) && StateOf(mandatory) == FileState::Present
               ? mandatory
               : HiveFile(folder);
}

// The part of a profile that is missing: its folder, or its hive file;
// empty when both are there (or can't be told to be missing).
std::wstring MissingPart(const std::wstring& folder, const std::wstring& hiveFile)
{
    if (NotThere(folder)) {
        return folder;
    }
    return NotThere(hiveFile) ? hiveFile : std::wstring();
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

// The user's %APPDATA%: the AppData of their own User Shell Folders,
// expanded with their own variables, or where it is not set their profile's
// AppData\Roaming. The keys are read as links says.
ListError RoamingFolder(HKEY userRoot, KeyLinks links, const Profile& profile, std::wstring& folder)
{
    folder = profile.folder + L"\\AppData\\Roaming";
    RegistryKey shellFolders;
    std::wstring failedAt;
    const LSTATUS status =
        OpenKeyPath(userRoot, kShellFoldersKey, KEY_QUERY_VALUE, links, shellFolders, failedAt);
    if (status == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    if (status != ERROR_SUCCESS) {
        return {status, failedAt};
    }
    std::wstring appData;
    if (shellFolders.ReadString(L"AppData", appData) != ERROR_SUCCESS || appData.empty()) {
        return {};
    }
    std::vector<Variable> variables;
    if (ListError error =
            ReadUserVariables(userRoot, links, profile.folder, profile.account, variables)) {
        return error;
    }
    folder = ExpandVariables(appData, variables);
    return {};
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
    std::vector<ProfileEntry> entries;
    for (const std::wstring& key : sids) {
        RegistryKey profile;
        std::wstring folder;
        if (profile.Open(profileList.Get(), key, KEY_QUERY_VALUE) == ERROR_SUCCESS) {
            folder = StringValue(profile, L"ProfileImagePath");
        }
        entries.push_back({key, folder});
    }
    for (const CoveredProfile& covered : ProfilesToCover(entries)) {
        const std::wstring account = AccountName(covered.sid, LastSegment(covered.folder));
        profiles.push_back({covered.sid, covered.folder, LabelOf(account, covered.sid),
                            covered.ownsLoadedHive, account});
    }
    const std::wstring defaultFolder = DefaultProfileFolder(profileList);
    if (!defaultFolder.empty() && StateOf(HiveFile(defaultFolder)) == FileState::Present) {
        profiles.push_back({L"", defaultFolder, "Default (new users' profile)", true, L""});
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
    // Before this run loads any: a killed run's hives stay loaded until
    // someone unloads them. They are no failure of this run's.
    UnloadLeftoverHives();
    if (!MachineProfiles(profiles, why)) {
        ReportError("Every user's Excel lists could not be reached: " + why, "Error");
        return false;
    }
    return true;
}

bool ReadEachProfile(const std::vector<Profile>& profiles, const ProfileReader& reader)
{
    bool failed = false;
    for (const Profile& profile : profiles) {
        ProfileHive hive;
        std::string why;
        switch (hive.Open(profile, why)) {
        case HiveOpening::Opened: break;
        case HiveOpening::Missing: reader.missing(profile, why); continue;
        case HiveOpening::Failed:
            reader.failed(profile, why);
            failed = true;
            continue;
        }
        failed = !reader.read(hive.User()) || failed;
        if (!hive.Close(&why)) {
            ReportError(profile.label + ": " + why, "Error");
            failed = true;
        }
    }
    return !failed;
}

bool IsProfileLoaded(const Profile& profile)
{
    return profile.ownsLoadedHive && IsLoadedUnderUsers(profile.sid);
}

HiveOpening ProfileHive::Open(const Profile& profile, std::string& why)
{
    Close();
    if (IsProfileLoaded(profile)) {
        const LSTATUS status = m_inPlace.Open(HKEY_USERS, profile.sid, KEY_READ | KEY_WRITE);
        if (status != ERROR_SUCCESS) {
            why = "its hive (HKEY_USERS\\" + AnsiFromWide(profile.sid) +
                  ") could not be opened: " + SystemMessage(static_cast<DWORD>(status));
            return HiveOpening::Failed;
        }
        m_user.root = m_inPlace.Get();
        m_user.rootName = "HKEY_USERS\\" + AnsiFromWide(profile.sid);
    } else {
        if (profile.folder.empty()) {
            why = "its profile has no folder";
            return HiveOpening::Failed;
        }
        const std::wstring file = ProfileHiveFile(profile.folder);
        const std::wstring missing = MissingPart(profile.folder, file);
        if (!missing.empty()) {
            why = "no profile here: \"" + AnsiFromWide(missing) + "\" is missing";
            return HiveOpening::Missing;
        }
        const LSTATUS status = m_loaded.Load(file, why);
        // Gone since the look above: the load made no hive in its place.
        if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
            why = "no profile here: \"" + AnsiFromWide(file) + "\" is missing";
            return HiveOpening::Missing;
        }
        if (status != ERROR_SUCCESS) {
            return HiveOpening::Failed;
        }
        m_user.root = m_loaded.Root();
        m_user.rootName = m_loaded.RootName();
    }
    m_user.label = profile.label;
    m_user.name = profile.account;
    m_user.sid = profile.sid;
    m_user.own = !profile.sid.empty() && profile.sid == CurrentUserSid();
    // The run is SYSTEM or an administrator here, and the hive is its user's
    // to shape.
    m_user.links = KeyLinks::Refuse;
    std::wstring roaming;
    if (ListError error = RoamingFolder(m_user.root, m_user.links, profile, roaming)) {
        why = Describe(error, m_user.rootName);
        std::string unloadWhy;
        if (!Close(&unloadWhy)) {
            why += "; " + unloadWhy;
        }
        return HiveOpening::Failed;
    }
    m_user.paths = UserPaths(roaming + L"\\Microsoft\\AddIns");
    return HiveOpening::Opened;
}

bool ProfileHive::Close(std::string* why)
{
    m_user.root = nullptr;
    m_inPlace.Close();
    return m_loaded.Unload(why);
}
