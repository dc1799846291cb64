// A user whose Excel lists a run reads or changes, with their registry
// hive open.
#pragma once

#include "addin_list/path_rules.h"

#include <windows.h>

#include <string>

struct UserHive {
    std::string label;     // "ann (S-1-5-21-...)", as reports name the user
    HKEY root = nullptr;   // the root of the user's hive
    std::string rootName;  // "HKEY_CURRENT_USER", "HKEY_USERS\S-1-5-21-..."
    PathBase paths;        // their add-ins folder
};

// The user this process runs as, through HKEY_CURRENT_USER.
UserHive CurrentUserHive();
