// Which profiles of the machine's profile list a run over every user
// covers. Pure: no I/O, no Windows, fed what the list says.
#pragma once

#include <string>
#include <vector>

// One key under ProfileList as read: its name and its folder.
struct ProfileEntry {
    std::wstring key;     // "S-1-5-21-...", or Windows' "S-1-5-21-....bak"
    std::wstring folder;  // ProfileImagePath, expanded; empty when it has none
};

// A profile to cover, once.
struct CoveredProfile {
    std::wstring sid;     // without ".bak"
    std::wstring folder;  // as the entry says
    // Whether a hive loaded under HKEY_USERS\<sid> is this profile's. Not
    // so for the real profile of a user Windows gave a temporary one: the
    // user logs on with the temporary profile, whose entry is the one
    // without ".bak".
    bool ownsLoadedHive = true;
};

// The SIDs of users who can run Excel: persons' keys (IsPersonsSid), not a
// service's, nor another copy Windows made (only ".bak" names a profile),
// each distinct folder once, in the list's order. A folder named twice
// goes with the first key that names it, except that a SID's own key
// wins over its ".bak" copy. Folders compare whole, without regard to case.
std::vector<CoveredProfile> ProfilesToCover(const std::vector<ProfileEntry>& entries);
