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
    List,      // every add-in of the lists, for an inventory (/list)
};

struct Options {
    bool help = false;
    Mode mode = Mode::Excel;
    bool allUsers = false;   // every user of the machine, not only this one
    bool remove = false;     // off the Add-ins dialog's list too
    bool anyFolder = false;  // every copy, by its file name, wherever it lies
    bool json = false;       // JSON lines on standard output, for tools
    bool quiet = false;
    bool force = false;
    std::string logPath;                               // empty: no log
    unsigned timeoutSeconds = kDefaultTimeoutSeconds;  // 0: no limit
    std::string addInPath;                             // the first add-in file
    std::vector<std::string> afterPath;  // what follows it and is none of the switches
    std::vector<std::string> switches;   // as typed, for the log
    std::string error;                   // what is wrong with the command line, or empty
};

// args are the arguments after the program's name. Switches come first;
// "--" ends them; the first argument that is not a switch is the add-in
// path. After it, each of the program's switches still counts (up to a
// "--"); every other argument is kept in afterPath.
Options ParseCommandLine(const std::vector<std::string>& args);

// The add-in files a run takes: /registry, /allusers and /check take every
// one given; a run through Excel the first only, as it always has, and
// ignores the rest.
std::vector<std::string> AddInPaths(const Options& options);

// What is wrong with the add-in paths, or an empty string. namesAFile[i]
// tells whether AddInPaths(options)[i] names a file that exists; for a run
// through Excel, only the first path's counts. A path that names none,
// followed by a part that is no full path (or, through Excel, by anything),
// was most likely cut at a blank.
std::string ProblemWithPaths(const Options& options, const std::vector<bool>& namesAFile);
