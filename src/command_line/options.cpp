#include "command_line/options.h"

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
    for (const char* flag :
         {"quiet", "q", "force", "help", "h", "?", "check", "remove", "registry", "allusers"}) {
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
    std::string registry;
    std::string allUsers;  // implies /registry, but goes with /check
    std::string remove;
    std::string force;
    std::string timeout;
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

// Picks the mode; returns what is wrong with the switches together, or an
// empty string. /allusers alone means the registry mode; with /check it
// widens the check.
std::string ChooseMode(const Typed& seen, Options& options)
{
    if (!seen.check.empty()) {
        options.mode = Mode::Check;
        for (const std::string* other :
             {&seen.registry, &seen.remove, &seen.force, &seen.timeout}) {
            if (!other->empty()) {
                return CantGoWith(*other, seen.check);
            }
        }
        return {};
    }
    if (!seen.registry.empty() || !seen.allUsers.empty()) {
        // No Excel is started; /timeout bounds the wait for the turn at
        // changing the lists.
        options.mode = Mode::Registry;
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
    for (; next < args.size(); ++next) {
        const std::string& arg = args[next];
        readingSwitches = readingSwitches && arg != "--";
        const std::optional<Switch> sw = readingSwitches ? AsSwitch(arg) : std::nullopt;
        if (sw && IsKnownSwitch(sw->name)) {
            takeSwitch(arg, *sw);
        } else {
            options.afterPath.push_back(arg);
        }
    }

    std::string problem = ChooseMode(seen, options);
    if (options.error.empty()) {
        options.error = std::move(problem);
    }
    if (options.error.empty() && options.addInPath.empty()) {
        options.error = pathGiven ? "The add-in file name is empty" : "No add-in file was given";
    }
    return options;
}

std::string ProblemWithArgumentsAfterPath(const Options& options, bool pathNamesAFile)
{
    if (options.afterPath.empty()) {
        return {};
    }
    std::string rest;
    for (const std::string& arg : options.afterPath) {
        rest += (rest.empty() ? "" : " ") + arg;
    }
    if (!pathNamesAFile) {
        return "The add-in file \"" + options.addInPath + "\" does not exist, and \"" + rest +
               "\" follows it. A path with blanks needs quotes, as in \"" + options.addInPath +
               " " + rest + "\"";
    }
    if (options.mode != Mode::Excel) {
        return "\"" + options.afterPath.front() +
               "\" after the add-in file is not one of the switches; only switches may follow it";
    }
    return {};
}
