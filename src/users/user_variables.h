// A user's environment variables, as Windows makes them for the user's
// logon, and a user's value expanded with them rather than with this
// process's. Pure: no Windows, fed what the user's hive and this process's
// environment hold.
#pragma once

#include <string>
#include <vector>

struct Variable {
    std::wstring name;
    std::wstring value;
    bool expandable = false;  // stored as REG_EXPAND_SZ: it may name variables itself
};

// text with each %NAME% replaced by the value of the first variable of that
// name (names compare without regard to ASCII case, as the names Windows and
// users define are written). A name no variable has stays as written, and
// its closing % may open the next name; a % without a partner stays.
std::wstring ExpandVariables(const std::wstring& text, const std::vector<Variable>& variables);

// What a user's %NAME% means, the first of a name winning, in the order that
// Windows lets them override each other in the user's environment:
// USERPROFILE (the profile's folder) and USERNAME (the account's name)
// first, then the user's Volatile Environment (made at each logon), then
// their Environment, then the machine's (the same for every user). An
// expandable value of the user's is expanded with the profile's and the
// machine's variables. An empty folder or account gives no variable.
std::vector<Variable> UserVariables(const std::wstring& profileFolder, const std::wstring& account,
                                    const std::vector<Variable>& volatileEnvironment,
                                    const std::vector<Variable>& environment,
                                    const std::vector<Variable>& machine);

// The variables whose values are the same for every user of the machine, and
// so may come from this process's environment, even SYSTEM's. Never
// USERPROFILE, APPDATA, USERNAME, HOMEDRIVE and the like: those are the
// process's own user's.
const std::vector<std::wstring>& MachineVariableNames();
