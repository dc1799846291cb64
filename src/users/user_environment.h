// A user's own environment variables, read from their hive, for expanding
// the values they keep there with their variables rather than with this
// process's (see users/user_variables.h).
#pragma once

#include "addin_list/excel_lists.h"
#include "addin_list/registry_key.h"
#include "users/user_variables.h"

#include <windows.h>

#include <string>
#include <vector>

// The variables of the user whose hive's root is userRoot: their profile's
// folder and their account's name, the values of their Volatile Environment
// and Environment keys (each opened by itself, as links says; an absent key
// holds none), and the machine's own from this process's environment. A
// key that can't be read, a link among them, is the error.
ListError ReadUserVariables(HKEY userRoot, KeyLinks links, const std::wstring& profileFolder,
                            const std::wstring& account, std::vector<Variable>& variables);
