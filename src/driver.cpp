// uninstall-addin: uninstalls one Excel add-in, given by its file path:
// through Excel itself, driven by OLE Automation, or where Excel can't run,
// through Excel's lists in the registry.

#include "command_line/addin_file.h"
#include "command_line/options.h"
#include "command_line/usage.h"
#include "dll_search.h"
#include "excel/dispatch.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "report/unseen_boxes.h"
#include "report/window_station.h"
#include "run_guard.h"
#include "runs.h"
#include "users/service_accounts.h"
#include "users/user_identity.h"
#include "version.h"

#include <string>
#include <utility>
#include <vector>

namespace {

static_assert(kDispatchFatalExitCode == kExitUninstallFailed,
              "a call that cannot be made means the add-in was not uninstalled");

void LogStart(const Options& options)
{
    std::string switches;
    for (const std::string& typed : options.switches) {
        switches += " " + typed;
    }
    std::string rest;
    for (const std::string& arg : options.afterPath) {
        rest += " \"" + arg + "\"";
    }
    const std::string addIn = options.mode == Mode::List ? "none" : "\"" + options.addInPath + "\"";
    LogEvent(std::string("start: uninstall-addin ") + kProgramVersion + "; add-in " + addIn +
             "; switches:" + (switches.empty() ? " none" : switches) +
             (rest.empty() ? "" : "; after the add-in file:" + rest));
}

int Run(const std::vector<std::string>& arguments)
{
    const Options options = ParseCommandLine(arguments);
    if (options.help) {
        WriteLine(STD_OUTPUT_HANDLE, FullUsage());
        return kExitUninstalled;
    }

    // Decided before the first report, a bad command line's included: a
    // process of a service, or on a window station that is not interactive,
    // shows its boxes where nobody can click them.
    const char* unseen = options.quiet ? nullptr : WhyBoxesGoUnseen(ProcessScreen());
    SetQuietReports(options.quiet || unseen != nullptr);
    // Nothing is started for a command line that can't be right.
    if (!options.error.empty()) {
        ReportUsageError(options.error, ShortUsage());
        return kExitUsage;
    }
    std::string logError;
    if (!options.logPath.empty() && !OpenLog(options.logPath, logError)) {
        ReportUsageError(logError, ShortUsage());
        return kExitUsage;
    }
    LogStart(options);
    if (unseen != nullptr) {
        LogEvent(std::string("reports: as with /quiet, on standard error: ") + unseen +
                 ", so nobody could answer a box");
    }

    // A service account's own lists are no user's: changing or checking
    // them would report "not installed" while every user keeps the add-in.
    const std::string accountProblem = ServiceAccountProblem(CurrentUserSid(), options.allUsers);
    if (!accountProblem.empty()) {
        ReportUsageError(accountProblem, ShortUsage());
        return EndRun(kExitUsage);
    }

    if (options.mode == Mode::List) {
        const int status = ListAddIns(options);
        return EndRun(status, status == kExitUninstalled ? "listed" : nullptr);
    }

    // Every mode means the files that Windows would open from here.
    std::vector<AddInFile> addIns;
    std::vector<bool> namesAFile;
    for (const std::string& path : AddInPaths(options)) {
        AddInFile addIn;
        std::string problem;
        if (!LocateAddInFile(path, addIn, problem)) {
            ReportUsageError(problem, ShortUsage());
            return EndRun(kExitUsage);
        }
        const std::string full = AnsiFromWide(addIn.full);
        if (full != addIn.typed) {
            LogEvent("add-in file: \"" + full + "\"");
        }
        namesAFile.push_back(addIn.state != FileState::Gone && addIn.state != FileState::Folder &&
                             addIn.state != FileState::NoDrive);
        addIns.push_back(std::move(addIn));
    }
    std::string problem = ProblemWithPaths(options, namesAFile);
    // Excel needs the file; the other modes match the path as text.
    if (problem.empty() && options.mode == Mode::Excel) {
        problem = DriveProblem(addIns.front());
    }
    if (!problem.empty()) {
        ReportUsageError(problem, ShortUsage());
        return EndRun(kExitUsage);
    }

    switch (options.mode) {
    case Mode::Check: {
        const int status = CheckWhereInstalled(options, addIns);
        return EndRun(status, status == kExitUninstalled ? "checked" : nullptr);
    }
    case Mode::Registry: return EndRun(UninstallThroughRegistry(options, addIns));
    default: return EndRun(UninstallThroughExcel(options, addIns.front()));
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    // Before anything can load a DLL: a message box alone loads several.
    LoadDllsFromSystemFolderOnly();

    return RunGuarded([&] { return Run(std::vector<std::string>(argv + 1, argv + argc)); });
}
