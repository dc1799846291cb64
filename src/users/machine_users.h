// Every user of the machine, for runs that change or check everyone's Excel
// lists (/allusers). The lists live only in each user's own hive: a logged-on
// user's is loaded under HKEY_USERS\<SID>, anyone else's is in the
// NTUSER.DAT of their profile, and the default profile's is what new users
// start from.
#pragma once

#include "users/user_hive.h"

#include <windows.h>

#include <string>
#include <vector>

struct Profile {
    std::wstring sid;     // empty for the default profile
    std::wstring folder;  // the profile's folder, environment variables expanded
    std::string label;    // "ann (S-1-5-21-...)", "Default (new users)"
};

// The profiles Windows lists under ProfileList, without the service
// accounts' (SYSTEM, LOCAL SERVICE, NETWORK SERVICE), then the default
// profile if it has a hive file. False, with the reason, when the list
// can't be read.
bool MachineProfiles(std::vector<Profile>& profiles, std::string& why);

// A profile's hive, opened where it is loaded already (its user is logged
// on), or loaded from its NTUSER.DAT for as long as this object lives and
// unloaded when it goes, whatever happened meanwhile.
class ProfileHive {
public:
    ProfileHive() = default;
    ~ProfileHive() { Close(); }

    ProfileHive(const ProfileHive&) = delete;
    ProfileHive& operator=(const ProfileHive&) = delete;

    // False, with the reason, when the hive can't be opened or loaded.
    bool Open(const Profile& profile, std::string& why);
    // Closes the hive, unloading it if this loaded it; false, with the
    // reason, when it would not unload.
    bool Close(std::string* why = nullptr);

    // The user as the lists' code needs them, while the hive is open.
    const UserHive& User() const { return m_user; }

private:
    UserHive m_user;
    std::wstring m_loadedName;  // its name under HKEY_USERS, when loaded here
};

// What a run over every user starts with: the privileges to load hives,
// and the profiles. False, having reported why, when it can't go on; doing
// says what the run does, "Changing" or "Reading".
bool StartAllUsersRun(const char* doing, std::vector<Profile>& profiles);

// Whether a user's hive is loaded under HKEY_USERS, as a logged-on user's is.
bool IsHiveLoaded(const std::wstring& sid);
