// uninstall-addin: marks one Excel add-in, given by its file path, as not
// installed, by driving Excel through OLE Automation.

#include "report/console.h"
#include "excel/dispatch.h"
#include "excel/excel_client.h"
#include "excel/excel_running.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "command_line/options.h"
#include "report/report.h"
#include "excel/time_limit.h"
#include "command_line/usage.h"
#include "version.h"

#include <string>
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
    LogEvent(std::string("start: uninstall-addin ") + kProgramVersion + "; add-in \"" +
             options.addInPath + "\"; switches:" + (switches.empty() ? " none" : switches));
}

int Uninstall(const std::string& addInPath)
{
    CNuvExcelAuto excel;
    if (excel.Init() < 0) {
        ReportError("Fail to init excel", "Error");
        return kExitExcelUnavailable;
    }

    WriteLine(STD_OUTPUT_HANDLE, "Uninstalling " + addInPath);

    excel.UninstallAddIn(addInPath.c_str());
    excel.Shutdown();
    return excel.AllCallsSucceeded() ? kExitUninstalled : kExitUninstallFailed;
}

}  // namespace

int main(int argc, char* argv[])
{
    const Options options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        WriteLine(STD_OUTPUT_HANDLE, FullUsage());
        return kExitUninstalled;
    }

    SetQuietReports(options.quiet);
    // Nothing is started for a command line that can't be right.
    if (!options.error.empty()) {
        ReportUsageError(options.error);
        return kExitUsage;
    }
    std::string logError;
    if (!options.logPath.empty() && !OpenLog(options.logPath, logError)) {
        ReportUsageError(logError);
        return kExitUsage;
    }
    LogStart(options);

    if (!options.force && !WaitUntilExcelIsClosed()) {
        return EndRun(kExitExcelWasRunning);
    }
    SetExcelTimeLimit(options.timeoutSeconds);
    return EndRun(Uninstall(options.addInPath));
}
