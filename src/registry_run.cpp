#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "addin_list/lists_turn.h"
#include "excel/excel_running.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "users/excel_users.h"
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

// This user's part of a run, under the lists' turn.
int UninstallForThisUser(const Options& options, const std::wstring& addInPath, bool remove,
                         const std::string& note)
{
    ListsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(options.timeoutSeconds, refused)) {
        return refused;
    }
    bool changed = false;
    const int status = UninstallForUser(CurrentUserHive(), addInPath, remove, note, &changed);
    // An Excel the user opened meanwhile read the old list and would put it
    // back when it closes.
    return status == kExitUninstalled && changed && ReportExcelOpenedDuringRun()
               ? kExitExcelWasRunning
               : status;
}

bool RunsExcel(const RunningExcels& running, const Profile& profile)
{
    // Only a logged-on user runs anything; when an Excel's user can't be
    // told, any of them might.
    if (profile.sid.empty() || !IsProfileLoaded(profile)) {
        return false;
    }
    return running.ownerUnknown ||
           std::find(running.sids.begin(), running.sids.end(), profile.sid) != running.sids.end();
}

// One profile's part of an /allusers run.
int UninstallForProfile(const Profile& profile, const RunningExcels& running,
                        const std::wstring& addInPath, bool remove)
{
    if (RunsExcel(running, profile)) {
        Tell(profile.label, "skipped: Excel is running");
        return kExitExcelWasRunning;
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
    int status = UninstallForUser(hive.User(), addInPath, remove);
    if (!hive.Close(&why)) {
        ReportError(profile.label + ": " + why, "Error");
        status = kExitListFailed;
    }
    return status;
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
    ListsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(options.timeoutSeconds, refused)) {
        return refused;
    }
    const RunningExcels running = options.force ? RunningExcels{} : UsersRunningExcel();
    bool skipped = false;
    bool failed = false;
    for (const Profile& profile : profiles) {
        const int status = UninstallForProfile(profile, running, addInPath, options.remove);
        skipped = skipped || status == kExitExcelWasRunning;
        failed = failed || status == kExitListFailed;
    }
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
