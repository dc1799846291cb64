// A user whose Excel lists a run reads or changes, with their registry
// hive open.
#pragma once

#include "addin_list/path_rules.h"
#include "addin_list/registry_key.h"

#include <windows.h>

#include <string>

struct UserHive {
    std::string label;     // "ann (S-1-5-21-...)", as reports name the user
    std::wstring name;     // "ann"; the default profile's "Default"
    std::wstring sid;      // empty for the default profile
    HKEY root = nullptr;   // the root of the user's hive
    std::string rootName;  // "HKEY_CURRENT_USER", "HKEY_USERS\S-1-5-21-..."
    PathBase paths;        // their add-ins folder
    // Refuse in a hive the run opened as another user's: its owner may have
    // made any key in it a link to one of their choosing.
    KeyLinks links = KeyLinks::Follow;
    // The run's own user, whose paths this run may look up, as the user's
    // own program would; no other user's.
    bool own = false;
};

// The user this process runs as, through HKEY_CURRENT_USER.
UserHive CurrentUserHive();
