// The exit statuses callers can rely on, and how a run ends.
#pragma once

enum ExitStatus : int {
    kExitUninstalled = 0,
    kExitExcelUnavailable = 1,
    kExitUninstallFailed = 2,
    kExitUsage = 3,
    kExitExcelHung = 4,
    kExitExcelWasRunning = 5,
    kExitListFailed = 6,
};

// What a status means, in words, for the usage text and the log.
const char* ExitStatusMeaning(int status);

// Records the end in the log, if there is one, with what the status means
// (or with meaning, where the run's mode gives it another sense), and gives
// the status back for main to return.
int EndRun(int status, const char* meaning = nullptr);

// Ends the process now with status: records the end in the log, then stops
// without releasing anything or running any destructor. For runs that can't
// go on, where any further call on Excel could block too.
[[noreturn]] void EndProcessNow(int status);
