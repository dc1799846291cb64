#include "report/exit_status.h"

#include "report/log_file.h"

#include <windows.h>

#include <string>

const char* ExitStatusMeaning(int status)
{
    switch (status) {
    case kExitUninstalled: return "the add-in is uninstalled";
    case kExitExcelUnavailable: return "Excel could not be started";
    case kExitUninstallFailed: return "Excel started but the add-in was not uninstalled";
    case kExitUsage:
        return "usage error: a bad switch or value, no add-in file, a path with blanks not in "
               "quotes, a drive this run can't see, a service account without /allusers, or a "
               "log file that can't be opened";
    case kExitExcelHung: return "Excel did not answer in time";
    case kExitExcelWasRunning:
        return "Excel was running or was opened during the run, or another run was changing "
               "Excel's add-in lists; try again later";
    case kExitListFailed: return "Excel's add-in list could not be read or changed";
    default: return "unknown status";
    }
}

int EndRun(int status, const char* meaning)
{
    LogEvent("end: exit status " + std::to_string(status) + ": " +
             (meaning != nullptr ? meaning : ExitStatusMeaning(status)));
    return status;
}

[[noreturn]] void EndProcessNow(int status)
{
    EndRun(status);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    // TerminateProcess on the own process does not return; this only
    // satisfies the compiler.
    ExitProcess(static_cast<UINT>(status));
}
