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
    std::vector<std::string> afterPath;  // what follows the path and is none of the switches
    std::vector<std::string> switches;   // as typed, for the log
    std::string error;                   // what is wrong with the command line, or empty
};

// args are the arguments after the program's name. Switches come first;
// "--" ends them; the first argument that is not a switch is the add-in
// path. After it, each of the program's switches still counts (up to a
// "--"); every other argument is kept in afterPath.
Options ParseCommandLine(const std::vector<std::string>& args);

// What is wrong with the arguments kept after the path, or an empty string.
// pathNamesAFile: whether the path names a file that exists. A path that
// names none, followed by more, was most likely cut at a blank; after a
// file's path, a run through Excel ignores the rest, as it always has, while
// the other modes, which are newer, accept only switches there.
std::string ProblemWithArgumentsAfterPath(const Options& options, bool pathNamesAFile);
