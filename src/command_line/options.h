// The command line turned into the settings of one run. Pure: no I/O, no
// Windows, so every rule can be checked on its own.
#pragma once

#include <string>
#include <vector>

constexpr unsigned kDefaultTimeoutSeconds = 120;
constexpr unsigned kLongestTimeoutSeconds = 86400;

// What the run does with the add-in.
enum class Mode {
    Excel,     // uninstall through Excel, started for the purpose
    Registry,  // take it out of Excel's lists in the registry (/registry, /allusers)
    Check,     // only say where it is installed (/check)
};

struct Options {
    bool help = false;
    Mode mode = Mode::Excel;
    bool allUsers = false;  // every user of the machine, not only this one
    bool remove = false;    // off the Add-ins dialog's list too
    bool quiet = false;
    bool force = false;
    std::string logPath;                               // empty: no log
    unsigned timeoutSeconds = kDefaultTimeoutSeconds;  // 0: no limit
    std::string addInPath;
    std::vector<std::string> switches;  // as typed, for the log
    std::string error;                  // what is wrong with the command line, or empty
};

// args are the arguments after the program's name. Switches come first;
// "--" ends them; the first argument that is not a switch is the add-in
// path, and whatever follows it is ignored.
Options ParseCommandLine(const std::vector<std::string>& args);
