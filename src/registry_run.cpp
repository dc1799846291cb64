#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "addin_list/lists_turn.h"
#include "excel/excel_processes.h"
#include "excel/excel_running.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "users/machine_users.h"
#include "users/user_hive.h"

#include <algorithm>

namespace {

// "removed "OPEN2" under Excel 16.0", "not installed"; with what went off
// the Add-ins dialog after it.
std::string Summary(const ListChangeOutcome& outcome)
{
    std::string summary;
    for (const InstalledPlace& place : outcome.removed) {
        summary += (summary.empty() ? "removed \"" : ", \"") + AnsiFromWide(place.valueName) +
                   "\" under " + ExcelName(place.version);
    }
    if (summary.empty()) {
        summary = "not installed";
    }
    for (size_t i = 0; i < outcome.takenOffDialog.size(); ++i) {
        summary += (i == 0 ? "; taken off the Add-ins list under " : ", ") +
                   ExcelName(outcome.takenOffDialog[i]);
    }
    return summary;
}

// The user's line, on standard output and in the log. Names and reasons
// come from users' data: shown escaped, they can't pass for another line.
void Tell(const std::string& user, const std::string& result)
{
    const std::string line = user + ": " + result;
    WriteLine(STD_OUTPUT_HANDLE, EscapedLine(line));
    LogEvent("result: " + line);
}

// Takes the add-in out of every Excel version's list of one user; the
// status of that user's part of the run. The caller holds the turn. note,
// when given, leads the user's line; changed, when given, tells whether
// anything was written.
int UninstallForUser(const UserHive& user, const std::wstring& addInPath, bool remove,
                     const std::string& note = "", bool* changed = nullptr)
{
    const AddInMatcher addIn(addInPath, user.paths);
    const ListChangeOutcome outcome =
        TakeOutOfLists(user.root, user.links, addIn,
                       remove ? DialogEntry::TakeOff : DialogEntry::KeepListed, user.label);
    if (changed != nullptr) {
        *changed = !outcome.removed.empty() || !outcome.takenOffDialog.empty();
    }
    if (outcome.error) {
        Tell(user.label, note + "failed: " + Describe(outcome.error, user.rootName));
        return kExitListFailed;
    }
    Tell(user.label, note + Summary(outcome));
    return kExitUninstalled;
}

// This user's part of a run, under its turn.
int UninstallForThisUser(const Options& options, const std::wstring& addInPath, bool remove,
                         const std::string& note)
{
    OwnListsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(options.timeoutSeconds, refused)) {
        return refused;
    }
    bool changed = false;
    const int status = UninstallForUser(CurrentUserHive(), addInPath, remove, note, &changed);
    // Before any box: one that nobody answers must hold no other run back.
    turn.Release();
    // An Excel the user opened meanwhile read the old list and would put it
    // back when it closes.
    return status == kExitUninstalled && changed && ReportExcelOpenedDuringRun()
               ? kExitExcelWasRunning
               : status;
}

// Whether a logged-on user's Excel may be running, looked at right before
// the run changes that user; the user's line when it is, or can't be told.
bool ExcelKeepsUserWaiting(const Profile& profile)
{
    std::vector<SeenExcel> running;
    DWORD error = ERROR_SUCCESS;
    if (!ExcelProcesses(running, error)) {
        Tell(profile.label,
             "skipped: whether Excel is running could not be told (" + SystemMessage(error) + ")");
        return true;
    }
    if (MayRunExcel(running, profile.sid)) {
        Tell(profile.label, "skipped: Excel is running");
        return true;
    }
    return false;
}

// One profile's part of an /allusers run, which holds the administrators'
// turn. A logged-on user may be changing their own lists, or running Excel:
// their lock first, then a look at their Excel. changed, when the user's
// lists were changed, tells whether they are logged on.
int UninstallForProfile(const Profile& profile, const Options& options,
                        const std::wstring& addInPath, bool& changed, bool& loggedOn)
{
    changed = false;
    loggedOn = !profile.sid.empty() && IsProfileLoaded(profile);
    HeldLock usersLock;
    if (loggedOn) {
        std::string why;
        switch (
            usersLock.Take(UsersLockFor(profile.sid, options.timeoutSeconds), profile.sid, why)) {
        case HeldLock::Outcome::Taken: break;
        case HeldLock::Outcome::Busy:
            Tell(profile.label, "skipped: another run is changing this user's Excel lists");
            return kExitExcelWasRunning;
        case HeldLock::Outcome::Failed:
            Tell(profile.label, "failed: this user's Excel lists could not be reserved: " + why);
            return kExitListFailed;
        }
        if (!options.force && ExcelKeepsUserWaiting(profile)) {
            return kExitExcelWasRunning;
        }
    }
    ProfileHive hive;
    std::string why;
    switch (hive.Open(profile, why)) {
    case HiveOpening::Opened: break;
    // A profile deleted by hand, or kept where only a logon attaches it, has
    // nothing to change: no failure.
    case HiveOpening::Missing: Tell(profile.label, why); return kExitUninstalled;
    case HiveOpening::Failed: Tell(profile.label, "failed: " + why); return kExitListFailed;
    }
    int status = UninstallForUser(hive.User(), addInPath, options.remove, "", &changed);
    if (!hive.Close(&why)) {
        ReportError(profile.label + ": " + why, "Error");
        status = kExitListFailed;
    }
    return status;
}

// After every change: a logged-on user whose Excel started meanwhile read
// the old list and would put it back when it closes.
bool ExcelOpenedMeanwhile(const std::vector<const Profile*>& changed)
{
    if (changed.empty()) {
        return false;
    }
    std::vector<SeenExcel> running;
    DWORD error = ERROR_SUCCESS;
    const bool listed = ExcelProcesses(running, error);
    bool opened = false;
    for (const Profile* profile : changed) {
        if (!listed) {
            Tell(profile->label, "whether Excel was opened during the run could not be told (" +
                                     SystemMessage(error) + "); run this again");
        } else if (MayRunExcel(running, profile->sid)) {
            Tell(profile->label, "Excel was opened during the run and may put the add-in back "
                                 "when it closes; run this again once it is closed");
        } else {
            continue;
        }
        opened = true;
    }
    return opened;
}

int UninstallForAllUsers(const std::wstring& addInPath, const Options& options)
{
    std::vector<Profile> profiles;
    if (!StartAllUsersRun("Changing", profiles)) {
        return kExitListFailed;
    }
    // One turn for the whole run, not one per user: the time limit then
    // bounds the run's wait once, and a run that can't have it changes
    // nobody, rather than some users and not others. A run over every
    // profile takes milliseconds per user, so a parallel run waits little.
    AdministratorsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(options.timeoutSeconds, refused)) {
        return refused;
    }
    bool skipped = false;
    bool failed = false;
    std::vector<const Profile*> changedLoggedOn;
    for (const Profile& profile : profiles) {
        bool changed = false;
        bool loggedOn = false;
        const int status = UninstallForProfile(profile, options, addInPath, changed, loggedOn);
        skipped = skipped || status == kExitExcelWasRunning;
        failed = failed || status == kExitListFailed;
        if (changed && loggedOn) {
            changedLoggedOn.push_back(&profile);
        }
    }
    skipped = (!options.force && ExcelOpenedMeanwhile(changedLoggedOn)) || skipped;
    turn.Release();
    // A failure outranks a skip: trying again later would not mend it.
    return failed ? kExitListFailed : skipped ? kExitExcelWasRunning : kExitUninstalled;
}

}  // namespace

int UninstallThroughRegistry(const Options& options, const AddInFile& addIn)
{
    if (options.allUsers) {
        return UninstallForAllUsers(addIn.full, options);
    }
    // An open Excel would write its old list back when it closes.
    if (!options.force && !WaitUntilExcelIsClosed()) {
        return kExitExcelWasRunning;
    }
    return UninstallForThisUser(options, addIn.full, options.remove, "");
}

int UninstallGoneAddIn(const Options& options, const AddInFile& addIn)
{
    // Its Add-in Manager entry would only be a dead one that Excel asks
    // about at every start.
    return UninstallForThisUser(options, addIn.full, true,
                                "the add-in file \"" + AnsiFromWide(addIn.full) + "\" is gone; ");
}
