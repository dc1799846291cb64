#include "command_line/options.h"

#include <initializer_list>
#include <optional>

namespace {

struct Switch {
    std::string name;  // lower case
    bool hasValue = false;
    std::string value;
};

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char ToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// "/name", "-name" or "--name", then optionally ":value". Anything else, a
// path such as "/addins/x.xlam" or "-old.xlam" among them, is not a switch.
std::optional<Switch> AsSwitch(const std::string& arg)
{
    size_t prefix = 0;
    if (arg.compare(0, 2, "--") == 0) {
        prefix = 2;
    } else if (!arg.empty() && (arg[0] == '/' || arg[0] == '-')) {
        prefix = 1;
    } else {
        return std::nullopt;
    }

    const size_t colon = arg.find(':', prefix);
    const std::string name =
        arg.substr(prefix, colon == std::string::npos ? colon : colon - prefix);
    if (name.empty()) {
        return std::nullopt;
    }
    Switch result;
    for (char c : name) {
        if (!IsAsciiLetter(c) && name != "?") {
            return std::nullopt;
        }
        result.name += ToLower(c);
    }
    if (colon != std::string::npos) {
        result.hasValue = true;
        result.value = arg.substr(colon + 1);
    }
    return result;
}

// "C:\x", "\\server\share": a path that stands on its own, unlike the
// rest of one cut at a blank.
bool IsFullPath(const std::string& arg)
{
    const bool drive = arg.size() >= 3 && IsAsciiLetter(arg[0]) && arg[1] == ':' &&
                       (arg[2] == '\\' || arg[2] == '/');
    return drive || arg.compare(0, 2, "\\\\") == 0 || arg.compare(0, 2, "//") == 0;
}

std::optional<unsigned> ParseSeconds(const std::string& text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned long seconds = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        seconds = seconds * 10 + static_cast<unsigned long>(c - '0');
        if (seconds > kLongestTimeoutSeconds) {
            return std::nullopt;
        }
    }
    return static_cast<unsigned>(seconds);
}

bool IsFlagSwitch(const std::string& name)
{
    for (const char* flag : {"quiet", "q", "force", "help", "h", "?", "check", "remove", "registry",
                             "allusers", "list", "json", "anyfolder"}) {
        if (name == flag) {
            return true;
        }
    }
    return false;
}

bool IsKnownSwitch(const std::string& name)
{
    return IsFlagSwitch(name) || name == "log" || name == "timeout";
}

// The switches as first typed, for the reports of those that can't go
// together.
struct Typed {
    std::string check;
    std::string list;
    std::string registry;
    std::string allUsers;  // implies /registry, but goes with /check and /list
    std::string remove;
    std::string force;
    std::string timeout;
    std::string json;
    std::string anyFolder;
};

void Remember(std::string& typed, const std::string& arg)
{
    if (typed.empty()) {
        typed = arg;
    }
}

// Applies one switch; returns what is wrong with it, or an empty string.
std::string Apply(const Switch& sw, const std::string& typed, Options& options, Typed& seen)
{
    const bool takesValue = sw.name == "log" || sw.name == "timeout";
    if (!IsKnownSwitch(sw.name)) {
        return "Unknown switch \"" + typed + "\"";
    }
    if (!takesValue && sw.hasValue) {
        return "The switch \"" + typed + "\" takes no value";
    }

    if (sw.name == "quiet" || sw.name == "q") {
        options.quiet = true;
    } else if (sw.name == "force") {
        options.force = true;
        Remember(seen.force, typed);
    } else if (sw.name == "check") {
        Remember(seen.check, typed);
    } else if (sw.name == "registry") {
        Remember(seen.registry, typed);
    } else if (sw.name == "allusers") {
        options.allUsers = true;
        Remember(seen.allUsers, typed);
    } else if (sw.name == "remove") {
        options.remove = true;
        Remember(seen.remove, typed);
    } else if (sw.name == "list") {
        Remember(seen.list, typed);
    } else if (sw.name == "json") {
        options.json = true;
        Remember(seen.json, typed);
    } else if (sw.name == "anyfolder") {
        options.anyFolder = true;
        Remember(seen.anyFolder, typed);
    } else if (sw.name == "log") {
        if (sw.value.empty()) {
            return "The switch \"" + typed +
                   "\" needs a file name, as in /log:C:\\Temp\\uninstall-addin.log";
        }
        options.logPath = sw.value;
    } else if (sw.name == "timeout") {
        const std::optional<unsigned> seconds = ParseSeconds(sw.value);
        if (!seconds) {
            return "The switch \"" + typed + "\" needs a whole number of seconds from 0 to " +
                   std::to_string(kLongestTimeoutSeconds) + ", as in /timeout:30";
        }
        options.timeoutSeconds = *seconds;
        Remember(seen.timeout, typed);
    } else {
        options.help = true;
    }
    return {};
}

std::string CantGoWith(const std::string& typed, const std::string& other)
{
    return "The switch \"" + typed + "\" can't be used with \"" + other + "\"";
}

// The first of the switches typed, or nullptr when none was.
const std::string* FirstTyped(std::initializer_list<const std::string*> switches)
{
    for (const std::string* typed : switches) {
        if (!typed->empty()) {
            return typed;
        }
    }
    return nullptr;
}

// Picks the mode; returns what is wrong with the switches together, or an
// empty string. /allusers alone means the registry mode; with /check or
// /list it widens them.
std::string ChooseMode(const Typed& seen, Options& options)
{
    if (!seen.list.empty()) {
        options.mode = Mode::List;
        // An inventory changes nothing and takes no add-in.
        const std::string* other = FirstTyped({&seen.check, &seen.registry, &seen.remove,
                                               &seen.force, &seen.timeout, &seen.anyFolder});
        return other != nullptr ? CantGoWith(*other, seen.list) : std::string();
    }
    if (!seen.check.empty()) {
        options.mode = Mode::Check;
        const std::string* other =
            FirstTyped({&seen.registry, &seen.remove, &seen.force, &seen.timeout});
        return other != nullptr ? CantGoWith(*other, seen.check) : std::string();
    }
    if (!seen.registry.empty() || !seen.allUsers.empty()) {
        // No Excel is started; /timeout bounds the wait for the turn at
        // changing the lists.
        options.mode = Mode::Registry;
    }
    if (!seen.json.empty()) {
        return "The switch \"" + seen.json + "\" goes with /list or /check only";
    }
    return {};
}

}  // namespace

Options ParseCommandLine(const std::vector<std::string>& args)
{
    Options options;
    Typed seen;
    size_t next = 0;
    // Every switch is read, even after a bad one, so that /quiet decides how
    // the bad one is reported wherever it stands.
    auto takeSwitch = [&](const std::string& arg, const Switch& sw) {
        options.switches.push_back(arg);
        std::string problem = Apply(sw, arg, options, seen);
        if (options.error.empty()) {
            options.error = std::move(problem);
        }
    };
    for (; next < args.size(); ++next) {
        const std::string& arg = args[next];
        if (arg == "--") {
            ++next;
            break;
        }
        const std::optional<Switch> sw = AsSwitch(arg);
        if (!sw) {
            break;
        }
        takeSwitch(arg, *sw);
    }

    const bool switchesEnded = next > 0 && args[next - 1] == "--";
    const bool pathGiven = next < args.size();
    if (pathGiven) {
        options.addInPath = args[next++];
    }
    // Uninstallers often write their switches after the path. One of ours
    // counts there too; anything else is kept for the run to judge, as only
    // the file system can tell a path cut short at a blank.
    bool readingSwitches = !switchesEnded;
    std::string strange;  // the first that looks like a switch but is none of ours
    for (; next < args.size(); ++next) {
        const std::string& arg = args[next];
        if (readingSwitches && arg == "--") {
            readingSwitches = false;
            continue;
        }
        const std::optional<Switch> sw = readingSwitches ? AsSwitch(arg) : std::nullopt;
        if (sw && IsKnownSwitch(sw->name)) {
            takeSwitch(arg, *sw);
            continue;
        }
        if (sw && strange.empty()) {
            strange = arg;
        }
        options.afterPath.push_back(arg);
    }

    std::string problem = ChooseMode(seen, options);
    if (options.error.empty()) {
        options.error = std::move(problem);
    }
    if (options.error.empty() && options.mode == Mode::List) {
        if (pathGiven) {
            options.error = "The switch \"" + seen.list + "\" takes no add-in file, and \"" +
                            options.addInPath + "\" was given";
        }
        return options;
    }
    if (options.error.empty() && options.addInPath.empty()) {
        options.error = pathGiven ? "The add-in file name is empty" : "No add-in file was given";
    }
    // Where every argument after the switches is an add-in, one that looks
    // like a switch is one this program doesn't have; a run through Excel
    // ignores it, as it always has.
    for (const std::string& arg : options.afterPath) {
        if (options.error.empty() && options.mode != Mode::Excel && arg.empty()) {
            options.error = "An add-in file name after the first is empty";
        }
    }
    if (options.error.empty() && options.mode != Mode::Excel && !strange.empty()) {
        options.error = "\"" + strange +
                        "\" after the add-in file is not one of the switches; only switches and "
                        "add-in files may follow it";
    }
    return options;
}

std::vector<std::string> AddInPaths(const Options& options)
{
    std::vector<std::string> paths;
    if (!options.addInPath.empty()) {
        paths.push_back(options.addInPath);
    }
    if (options.mode != Mode::Excel) {
        paths.insert(paths.end(), options.afterPath.begin(), options.afterPath.end());
    }
    return paths;
}

std::string ProblemWithPaths(const Options& options, const std::vector<bool>& namesAFile)
{
    const std::vector<std::string> paths = AddInPaths(options);
    // Through Excel, whatever follows the one path is its rest.
    const std::vector<std::string>& rest =
        options.mode == Mode::Excel ? options.afterPath : std::vector<std::string>();
    for (size_t i = 0; i < paths.size() && i < namesAFile.size(); ++i) {
        if (namesAFile[i]) {
            continue;
        }
        std::string cutOff;
        const std::vector<std::string>& after =
            options.mode == Mode::Excel
                ? rest
                : std::vector<std::string>(paths.begin() + i + 1, paths.end());
        for (const std::string& part : after) {
            if (options.mode != Mode::Excel && IsFullPath(part)) {
                break;
            }
            cutOff += (cutOff.empty() ? "" : " ") + part;
        }
        if (!cutOff.empty()) {
            return "The add-in file \"" + paths[i] + "\" does not exist, and \"" + cutOff +
                   "\" follows it. A path with blanks needs quotes, as in \"" + paths[i] + " " +
                   cutOff + "\"";
        }
    }
    return {};
}
