// The rights a run needs to load other users' hives.
#pragma once

#include <string>

// Enables the backup and restore privileges, which loading and unloading a
// hive file needs. Only administrators (and SYSTEM) hold them; false, with
// the reason, when this process doesn't.
bool EnableHivePrivileges(std::string& why);
