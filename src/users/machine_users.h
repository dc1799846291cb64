// Every user of the machine, for runs that change or check everyone's Excel
// lists (/allusers). The lists live only in each user's own hive: a logged-on
// user's is loaded under HKEY_USERS\<SID>, anyone else's is in the
// NTUSER.DAT of their profile, and the default profile's is what new users
// start from.
#pragma once

#include "users/loaded_hive.h"
#include "users/user_hive.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct Profile {
    std::wstring sid;     // empty for the default profile
    std::wstring folder;  // the profile's folder, environment variables expanded
    std::string label;    // "ann (S-1-5-21-...)", "Default (new users)"
    // Whether a hive loaded under HKEY_USERS\<sid> is this profile's, as
    // it is but for the real profile of a user on a temporary one.
    bool ownsLoadedHive = true;
    // The account's name, the user's %USERNAME%, as the label names it;
    // empty for the default profile.
    std::wstring account;
};

// The profiles Windows lists under ProfileList, without the service
// accounts' (SYSTEM, LOCAL SERVICE, NETWORK SERVICE), each folder once (a
// ".bak" key names the real profile of a user Windows gave a temporary
// one), then the default profile if it has a hive file. False, with the
// reason, when the list can't be read.
bool MachineProfiles(std::vector<Profile>& profiles, std::string& why);

// What came of opening a profile's hive.
enum class HiveOpening {
    Opened,
    Missing,  // the profile's folder or hive file does not exist: no profile here
    Failed,
};

// A profile's hive, opened where it is loaded already (its user is logged
// on), or loaded from its NTUSER.DAT (a mandatory profile's NTUSER.MAN) for
// as long as this object lives (see LoadedHive) and unloaded when it goes,
// whatever happened meanwhile.
class ProfileHive {
public:
    ProfileHive() = default;
    ~ProfileHive() { Close(); }

    ProfileHive(const ProfileHive&) = delete;
    ProfileHive& operator=(const ProfileHive&) = delete;

    // Opens the hive. why is, where it is Missing, the result that says so
    // (no profile here: "<folder>" is missing), where it Failed, the reason.
    HiveOpening Open(const Profile& profile, std::string& why);
    // Closes the hive, unloading it if this loaded it; false, with the
    // reason, when it would not unload.
    bool Close(std::string* why = nullptr);

    // The user as the lists' code needs them, while the hive is open.
    const UserHive& User() const { return m_user; }

private:
    UserHive m_user;        // its root is one of the two below
    RegistryKey m_inPlace;  // a logged-on user's hive, under HKEY_USERS\<SID>
    LoadedHive m_loaded;    // a hive this loaded
};

// What a run over every user starts with: the privileges to load hives,
// the hives that killed runs left loaded unloaded (leftover_hives.h), and
// the profiles. False, having reported why, when it can't go on; doing
// says what the run does, "Changing" or "Reading".
bool StartAllUsersRun(const char* doing, std::vector<Profile>& profiles);

// What a run that reads every user's lists does with each profile.
struct ProfileReader {
    // A profile whose hive is open; false when its lists could not be read
    // (reported).
    std::function<bool(const UserHive& user)> read;
    // One that is not there, which is no failure; why says so.
    std::function<void(const Profile& profile, const std::string& why)> missing;
    // One whose hive could not be opened; why says why.
    std::function<void(const Profile& profile, const std::string& why)> failed;
};

// Opens each profile's hive in turn, hands it to the reader and closes it
// again; false when some profile's lists could not be read, or its hive not
// opened or not unloaded (each reported).
bool ReadEachProfile(const std::vector<Profile>& profiles, const ProfileReader& reader);

// Whether a profile's hive is loaded under HKEY_USERS, as a logged-on
// user's is.
bool IsProfileLoaded(const Profile& profile);
