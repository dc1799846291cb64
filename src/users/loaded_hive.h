// A user's hive file, loaded for as long as this run needs it.
//
// It is loaded as a private application hive where the system can: no
// other process sees it, and it goes away with its last handle, however the
// process ends. Windows loads a file so only when every key in it has the
// same security descriptor, which a user's NTUSER.DAT never has (its
// Policies keys are not the user's to change): a profile's hive is loaded
// under HKEY_USERS, as "uninstall-addin-<process id>-<n>". Such a hive stays
// loaded until someone unloads it, and a user whose NTUSER.DAT is still
// loaded at logon gets a temporary profile. So this run unloads it when it
// is done, also on Ctrl+C, Ctrl+Break and when the console closes, and loads
// none after those have begun; and the next run unloads what a run that was
// killed left (leftover_hives.h).
//
// Loading a file that is missing makes an empty hive file of that name: a
// load that did so is undone and its files deleted, and the profile has no
// hive.
#pragma once

#include "users/hive_rules.h"

#include <windows.h>

#include <string>

class LoadedHive {
public:
    LoadedHive() = default;
    ~LoadedHive() { Unload(); }

    LoadedHive(const LoadedHive&) = delete;
    LoadedHive& operator=(const LoadedHive&) = delete;

    // Loads file (unloading whatever this held) and opens its root for
    // reading and writing. On failure, why says so, naming the file;
    // ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND: there is no such file
    // (any more), and no load made one.
    LSTATUS Load(const std::wstring& file, std::string& why);
    // Closes the root and unloads the hive; false, with the reason, when a
    // hive under HKEY_USERS would not unload.
    bool Unload(std::string* why = nullptr);

    HKEY Root() const { return m_root; }
    // How reports name the root: the file of a private hive, or its key
    // under HKEY_USERS.
    const std::string& RootName() const { return m_rootName; }

private:
    LSTATUS LoadPrivately(const std::wstring& file);
    LSTATUS LoadUnderUsers(const std::wstring& file);
    // Undoes a load that made the hive it loaded: unloads it and deletes the
    // files it made. False, with why, where one step failed.
    bool UndoMadeHive(const std::wstring& file, const LoadVerdict& verdict,
                      const HiveFileMarks& after, std::string& why);

    HKEY m_root = nullptr;
    std::string m_rootName;
    std::wstring m_usersName;  // its name under HKEY_USERS, for the fallback
};

// Whether a hive is loaded under HKEY_USERS\<name>, as a logged-on user's
// is under their SID.
bool IsLoadedUnderUsers(const std::wstring& name);

// Unloads the hive HKEY_USERS\<name>, trying again for a few seconds while
// another process holds a handle into it; the last status.
LSTATUS UnloadFromUsers(const std::wstring& name);
