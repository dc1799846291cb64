#include "command_line/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Want {
    std::string path;
    bool quiet;
    bool force;
    std::string log;
    unsigned timeout;
};

Want Expect(std::string path, bool quiet = false, bool force = false, std::string log = "",
            unsigned timeout = kDefaultTimeoutSeconds)
{
    return {std::move(path), quiet, force, std::move(log), timeout};
}

// "[a][b]": each argument, its blanks and emptiness visible.
std::string Shown(const Args& args)
{
    std::string shown;
    for (const std::string& arg : args) {
        shown += "[" + arg + "]";
    }
    return shown;
}

TEST(Options, TurnsCommandLinesIntoSettings)
{
    struct Case {
        Args args;
        Want want;
    };
    const Case cases[] = {
        {{"C:\\addins\\a.xlam"}, Expect("C:\\addins\\a.xlam")},
        // One of the switches after the path counts, as uninstallers write
        // them there; the rest waits for the run to judge.
        {{"a.xlam", "/quiet", "b.xlam"}, Expect("a.xlam", true)},
        {{"a.xlam", "-Q", "/force", "/log:x", "/timeout:5"}, Expect("a.xlam", true, true, "x", 5)},
        {{"--", "a.xlam", "/quiet"}, Expect("a.xlam")},
        {{"a.xlam", "--", "/quiet"}, Expect("a.xlam")},
        {{"/quiet", "a.xlam"}, Expect("a.xlam", true)},
        {{"/q", "a.xlam"}, Expect("a.xlam", true)},
        {{"-QUIET", "a.xlam"}, Expect("a.xlam", true)},
        {{"--Quiet", "a.xlam"}, Expect("a.xlam", true)},
        {{"/force", "a.xlam"}, Expect("a.xlam", false, true)},
        {{"/log:C:\\Temp\\run.log", "a.xlam"}, Expect("a.xlam", false, false, "C:\\Temp\\run.log")},
        {{"-LOG:run log.txt", "a.xlam"}, Expect("a.xlam", false, false, "run log.txt")},
        {{"/log:a.log", "/log:b.log", "a.xlam"}, Expect("a.xlam", false, false, "b.log")},
        {{"/timeout:30", "a.xlam"}, Expect("a.xlam", false, false, "", 30)},
        {{"/timeout:0", "a.xlam"}, Expect("a.xlam", false, false, "", 0)},
        {{"/timeout:007", "a.xlam"}, Expect("a.xlam", false, false, "", 7)},
        {{"/timeout:86400", "a.xlam"}, Expect("a.xlam", false, false, "", 86400)},
        {{"/q", "/force", "/log:x", "/timeout:5", "a.xlam"}, Expect("a.xlam", true, true, "x", 5)},
        // Paths that start like switches but are not made of a name.
        {{"/addins/x.xlam"}, Expect("/addins/x.xlam")},
        {{"-old.xlam"}, Expect("-old.xlam")},
        {{"/"}, Expect("/")},
        {{"-"}, Expect("-")},
        {{"/q", "\\\\server\\share\\x.xlam"}, Expect("\\\\server\\share\\x.xlam", true)},
        {{"/q1"}, Expect("/q1")},
        // "--" ends the switches: what follows is the path, whatever it looks like.
        {{"--", "/quiet"}, Expect("/quiet")},
        {{"/q", "--", "-force"}, Expect("-force", true)},
        {{"--", "--"}, Expect("--")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.args));
        const Options options = ParseCommandLine(c.args);
        EXPECT_EQ(options.error, "");
        EXPECT_FALSE(options.help);
        EXPECT_EQ(options.addInPath, c.want.path);
        EXPECT_EQ(options.quiet, c.want.quiet);
        EXPECT_EQ(options.force, c.want.force);
        EXPECT_EQ(options.logPath, c.want.log);
        EXPECT_EQ(options.timeoutSeconds, c.want.timeout);
    }
}

TEST(Options, ReportsEachKindOfUsageError)
{
    struct Case {
        Args args;
        std::string error;
        bool quiet = false;
    };
    const Case cases[] = {
        {{}, "No add-in file was given"},
        {{""}, "The add-in file name is empty"},
        {{"/q"}, "No add-in file was given", true},
        {{"--"}, "No add-in file was given"},
        {{"/q", "--", ""}, "The add-in file name is empty", true},
        {{"/bogus", "a.xlam"}, "Unknown switch \"/bogus\""},
        {{"/quietly", "a.xlam"}, "Unknown switch \"/quietly\""},
        {{"/quiet:yes", "a.xlam"}, "The switch \"/quiet:yes\" takes no value"},
        {{"/force:", "a.xlam"}, "The switch \"/force:\" takes no value"},
        {{"/log", "a.xlam"},
         "The switch \"/log\" needs a file name, as in /log:C:\\Temp\\uninstall-addin.log"},
        {{"/log:", "a.xlam"},
         "The switch \"/log:\" needs a file name, as in /log:C:\\Temp\\uninstall-addin.log"},
        {{"/timeout", "a.xlam"},
         "The switch \"/timeout\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/timeout:soon", "a.xlam"},
         "The switch \"/timeout:soon\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/timeout:-1", "a.xlam"},
         "The switch \"/timeout:-1\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/timeout:+5", "a.xlam"},
         "The switch \"/timeout:+5\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/timeout:1.5", "a.xlam"},
         "The switch \"/timeout:1.5\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/timeout:86401", "a.xlam"},
         "The switch \"/timeout:86401\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/timeout:99999999999999999999", "a.xlam"},
         "The switch \"/timeout:99999999999999999999\" needs a whole number of seconds from 0 to "
         "86400, as in "
         "/timeout:30"},
        // The first problem is the one reported, but /quiet counts wherever
        // it stands among the switches.
        {{"/bogus", "/timeout:x", "/quiet", "a.xlam"}, "Unknown switch \"/bogus\"", true},
        {{"/bogus", "-q"}, "Unknown switch \"/bogus\"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.args));
        const Options options = ParseCommandLine(c.args);
        EXPECT_EQ(options.error, c.error);
        EXPECT_EQ(options.quiet, c.quiet);
        EXPECT_FALSE(options.help);
    }
}

TEST(Options, ChoosesTheModeAndRejectsSwitchesThatCantGoTogether)
{
    struct Case {
        Args args;
        Mode mode;
        bool allUsers;
        bool remove;
        std::string error;
    };
    const Case cases[] = {
        {{"a.xlam"}, Mode::Excel, false, false, ""},
        {{"/remove", "a.xlam"}, Mode::Excel, false, true, ""},
        {{"/force", "/timeout:5", "/remove", "a.xlam"}, Mode::Excel, false, true, ""},
        {{"/registry", "a.xlam"}, Mode::Registry, false, false, ""},
        {{"-REGISTRY", "/remove", "/force", "a.xlam"}, Mode::Registry, false, true, ""},
        {{"/allusers", "a.xlam"}, Mode::Registry, true, false, ""},
        {{"/registry", "/allusers", "/remove", "a.xlam"}, Mode::Registry, true, true, ""},
        {{"/check", "a.xlam"}, Mode::Check, false, false, ""},
        {{"--check", "/allusers", "/q", "/log:x.log", "a.xlam"}, Mode::Check, true, false, ""},
        // /check changes nothing, so what only matters to a change is an error with it.
        {{"/check", "/remove", "a.xlam"},
         Mode::Check,
         false,
         true,
         "The switch \"/remove\" can't be used with \"/check\""},
        {{"/Remove", "-check", "a.xlam"},
         Mode::Check,
         false,
         true,
         "The switch \"/Remove\" can't be used with \"-check\""},
        {{"/check", "/registry", "a.xlam"},
         Mode::Check,
         false,
         false,
         "The switch \"/registry\" can't be used with \"/check\""},
        {{"/check", "/allusers", "/registry", "a.xlam"},
         Mode::Check,
         true,
         false,
         "The switch \"/registry\" can't be used with \"/check\""},
        {{"/check", "/force", "a.xlam"},
         Mode::Check,
         false,
         false,
         "The switch \"/force\" can't be used with \"/check\""},
        {{"/check", "/timeout:5", "a.xlam"},
         Mode::Check,
         false,
         false,
         "The switch \"/timeout:5\" can't be used with \"/check\""},
        // Without Excel, /timeout bounds the wait for the turn at changing the lists.
        {{"/registry", "/timeout:5", "a.xlam"}, Mode::Registry, false, false, ""},
        {{"/timeout:0", "/allusers", "a.xlam"}, Mode::Registry, true, false, ""},
        // A bad switch is still the first problem; a missing path comes last.
        {{"/bogus", "/check", "/remove", "a.xlam"},
         Mode::Check,
         false,
         true,
         "Unknown switch \"/bogus\""},
        {{"/check", "/remove"},
         Mode::Check,
         false,
         true,
         "The switch \"/remove\" can't be used with \"/check\""},
        {{"/check"}, Mode::Check, false, false, "No add-in file was given"},
        {{"a.xlam", "/registry", "/remove"}, Mode::Registry, false, true, ""},
        {{"a.xlam", "/check", "/remove"},
         Mode::Check,
         false,
         true,
         "The switch \"/remove\" can't be used with \"/check\""},
        {{"a.xlam", "/timeout:x"},
         Mode::Excel,
         false,
         false,
         "The switch \"/timeout:x\" needs a whole number of seconds from 0 to 86400, as in "
         "/timeout:30"},
        {{"/allusers:yes", "a.xlam"},
         Mode::Excel,
         false,
         false,
         "The switch \"/allusers:yes\" takes no value"},
        // An inventory takes no add-in and changes nothing; /json goes with
        // it and with /check; /anyfolder with every mode that takes an add-in.
        {{"/list"}, Mode::List, false, false, ""},
        {{"/list", "/allusers", "/json", "/quiet", "/log:x.log"}, Mode::List, true, false, ""},
        {{"/list", "a.xlam"},
         Mode::List,
         false,
         false,
         "The switch \"/list\" takes no add-in file, and \"a.xlam\" was given"},
        {{"/list", "/remove"},
         Mode::List,
         false,
         true,
         "The switch \"/remove\" can't be used with \"/list\""},
        {{"/LIST", "/check"},
         Mode::List,
         false,
         false,
         "The switch \"/check\" can't be used with \"/LIST\""},
        {{"/list", "/anyfolder"},
         Mode::List,
         false,
         false,
         "The switch \"/anyfolder\" can't be used with \"/list\""},
        {{"/check", "/json", "/anyfolder", "a.xlam"}, Mode::Check, false, false, ""},
        {{"/json", "a.xlam"},
         Mode::Excel,
         false,
         false,
         "The switch \"/json\" goes with /list or /check only"},
        {{"/registry", "-json", "a.xlam"},
         Mode::Registry,
         false,
         false,
         "The switch \"-json\" goes with /list or /check only"},
        {{"/anyfolder", "/allusers", "a.xlam"}, Mode::Registry, true, false, ""},
        {{"/anyfolder", "a.xlam"}, Mode::Excel, false, false, ""},
        // Several add-ins where the lists are read once for all of them.
        {{"/registry", "a.xlam", "b.xll", "/remove"}, Mode::Registry, false, true, ""},
        {{"/registry", "a.xlam", "/norestart"},
         Mode::Registry,
         false,
         false,
         "\"/norestart\" after the add-in file is not one of the switches; only switches and "
         "add-in files may follow it"},
        {{"/check", "a.xlam", "--", "/norestart"}, Mode::Check, false, false, ""},
        {{"/check", "a.xlam", ""},
         Mode::Check,
         false,
         false,
         "An add-in file name after the first is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.args));
        const Options options = ParseCommandLine(c.args);
        EXPECT_EQ(options.error, c.error);
        EXPECT_EQ(options.mode, c.mode);
        EXPECT_EQ(options.allUsers, c.allUsers);
        EXPECT_EQ(options.remove, c.remove);
    }
}

TEST(Options, HelpWinsOverEverythingElse)
{
    for (const Args& args :
         {Args{"/?"}, Args{"-h"}, Args{"--HELP"}, Args{"/q", "/help", "a.xlam"},
          Args{"/bogus", "/?"}, Args{"/?", "/timeout:soon"}, Args{"/check", "/remove", "/?"}}) {
        const Options options = ParseCommandLine(args);
        EXPECT_TRUE(options.help) << Shown(args);
    }
    EXPECT_TRUE(ParseCommandLine({"a.xlam", "/?"}).help);
    // After "--" it is no switch at all.
    EXPECT_FALSE(ParseCommandLine({"--", "/?"}).help);
    EXPECT_FALSE(ParseCommandLine({"--", "a.xlam", "/?"}).help);
}

TEST(Options, KeepsTheSwitchesAsTypedForTheLog)
{
    const Options options = ParseCommandLine({"/Q", "-log:C:\\x.log", "--", "a.xlam", "/force"});
    EXPECT_EQ(options.switches, (std::vector<std::string>{"/Q", "-log:C:\\x.log"}));
}

// A path typed without quotes arrives cut at its blanks; the rest follows it.
// /registry, /allusers and /check take several add-ins; a run through Excel
// takes the first and ignores the rest, as it always has.
TEST(Options, TakesTheAddInsAndJudgesWhatFollowsEach)
{
    using Names = std::vector<bool>;
    struct Case {
        Args args;
        Args paths;
        Names namesAFile;
        std::string problem;
    };
    const std::string cut =
        "The add-in file \"C:\\Program\" does not exist, and \"Files\\Contoso\\x.xlam\" follows "
        "it. A path with blanks needs quotes, as in \"C:\\Program Files\\Contoso\\x.xlam\"";
    const Case cases[] = {
        {{"/registry", "C:\\Program", "Files\\Contoso\\x.xlam"},
         {"C:\\Program", "Files\\Contoso\\x.xlam"},
         {false, false},
         cut},
        {{"C:\\Program", "Files\\Contoso\\x.xlam", "/quiet"}, {"C:\\Program"}, {false}, cut},
        {{"/check", "C:\\Program", "Files\\Contoso\\x.xlam", "D:\\y.xll"},
         {"C:\\Program", "Files\\Contoso\\x.xlam", "D:\\y.xll"},
         {false, false, true},
         cut},
        {{"/registry", "C:\\Program", "Files\\My", "Contoso\\x.xlam"},
         {"C:\\Program", "Files\\My", "Contoso\\x.xlam"},
         {false, false, false},
         "The add-in file \"C:\\Program\" does not exist, and \"Files\\My Contoso\\x.xlam\" "
         "follows it. A path with blanks needs quotes, as in \"C:\\Program Files\\My "
         "Contoso\\x.xlam\""},
        // Files gone already, each given in full, are no cut path.
        {{"/allusers", "C:\\Old\\a.xlam", "\\\\srv\\s\\b.xll", "C:\\Old\\c.xll"},
         {"C:\\Old\\a.xlam", "\\\\srv\\s\\b.xll", "C:\\Old\\c.xll"},
         {false, false, false},
         ""},
        // A run through Excel ignores what follows a file, as it always has.
        {{"x.xlam", "extra", "/norestart"}, {"x.xlam"}, {true}, ""},
        {{"/registry", "x.xlam", "extra"}, {"x.xlam", "extra"}, {true, true}, ""},
        {{"/allusers", "x.xlam", "/quiet", "/remove"}, {"x.xlam"}, {true}, ""},
        {{"x.xlam"}, {"x.xlam"}, {false}, ""},
        {{"/list"}, {}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.args));
        const Options options = ParseCommandLine(c.args);
        EXPECT_EQ(options.error, "");
        EXPECT_EQ(AddInPaths(options), c.paths);
        EXPECT_EQ(ProblemWithPaths(options, c.namesAFile), c.problem);
    }
}

}  // namespace
