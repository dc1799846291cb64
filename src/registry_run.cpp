#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "addin_list/lists_turn.h"
#include "excel/excel_processes.h"
#include "excel/excel_running.h"
#include "report/exit_status.h"
#include "report/report.h"
#include "report/text.h"
#include "users/machine_users.h"
#include "users/user_hive.h"

#include <string>
#include <vector>

namespace {

// What a run takes out of each user's lists, the same for every user.
struct Removal {
    std::vector<AddInPath> addIns;  // looked up once, for every user
    bool remove = false;            // off the Add-ins dialog too
    bool anyFolder = false;         // every copy, by its file name
};

Removal RemovalOf(const std::vector<AddInFile>& files, const Options& options, bool remove)
{
    Removal removal{{}, remove, options.anyFolder};
    for (const AddInFile& file : files) {
        removal.addIns.push_back(NamesOfPath(file.full));
    }
    return removal;
}

// "removed "OPEN2" under Excel 16.0", "not installed", for the add-in
// addIn; with what went off the Add-ins dialog after it. Where copies count
// or several add-ins share the line's user, each value is named.
std::string Summary(const ListChangeOutcome& outcome, size_t addIn, bool named)
{
    std::string summary;
    for (const InstalledPlace& place : outcome.removed) {
        if (place.addIn != addIn) {
            continue;
        }
        summary += (summary.empty() ? "removed \"" : ", \"") + AnsiFromWide(place.valueName) +
                   "\"" + (named ? " (\"" + AnsiFromWide(place.data) + "\")" : "") + " under " +
                   ExcelName(place.version);
    }
    if (summary.empty()) {
        summary = "not installed";
    }
    bool first = true;
    for (const DialogPlace& place : outcome.takenOffDialog) {
        if (place.addIn != addIn) {
            continue;
        }
        const std::string under = named   ? "\"" + AnsiFromWide(place.name) + "\" under "
                                  : first ? "under "
                                          : "";
        summary +=
            (first ? "; taken off the Add-ins list " : ", ") + under + ExcelName(place.version);
        first = false;
    }
    return summary;
}

// Takes the add-ins out of every Excel version's list of one user, in one
// change; the status of that user's part of the run. The caller holds the
// turn. note, when given, leads the user's line; changed tells whether
// anything was written. One add-in gets one line; several get a line each,
// after its path.
int UninstallForUser(const UserHive& user, const Removal& removal, const std::string& note,
                     bool& changed)
{
    const std::vector<AddInMatcher> addIns =
        MatchersFor(removal.addIns, user.paths, {removal.anyFolder, user.own});
    const ListChangeOutcome outcome =
        TakeOutOfLists(user.root, user.links, addIns,
                       removal.remove ? DialogEntry::TakeOff : DialogEntry::KeepListed, user.label);
    changed = !outcome.removed.empty() || !outcome.takenOffDialog.empty();
    if (outcome.error) {
        TellResult(user.label, note + "failed: " + Describe(outcome.error, user.rootName));
        return kExitListFailed;
    }
    if (addIns.size() == 1) {
        TellResult(user.label, note + Summary(outcome, 0, removal.anyFolder));
        return kExitUninstalled;
    }
    for (size_t i = 0; i < addIns.size(); ++i) {
        TellResult(user.label, note + "\"" + AnsiFromWide(addIns[i].FullPath()) +
                                   "\": " + Summary(outcome, i, true));
    }
    return kExitUninstalled;
}

// This user's part of a run, under its turn.
int UninstallForThisUser(const Options& options, const Removal& removal, const std::string& note)
{
    OwnListsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(options.timeoutSeconds, refused)) {
        return refused;
    }
    bool changed = false;
    const int status = UninstallForUser(CurrentUserHive(), removal, note, changed);
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
        TellResult(profile.label, "skipped: whether Excel is running could not be told (" +
                                      SystemMessage(error) + ")");
        return true;
    }
    if (MayRunExcel(running, profile.sid)) {
        TellResult(profile.label, "skipped: Excel is running");
        return true;
    }
    return false;
}

// One profile's part of an /allusers run, which holds the administrators'
// turn. A logged-on user may be changing their own lists, or running Excel:
// their lock first, then a look at their Excel. changed, when the user's
// lists were changed, tells whether they are logged on.
int UninstallForProfile(const Profile& profile, const Options& options, const Removal& removal,
                        bool& changed, bool& loggedOn)
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
            TellResult(profile.label, "skipped: another run is changing this user's Excel lists");
            return kExitExcelWasRunning;
        case HeldLock::Outcome::Failed:
            TellResult(profile.label,
                       "failed: this user's Excel lists could not be reserved: " + why);
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
    case HiveOpening::Missing: TellResult(profile.label, why); return kExitUninstalled;
    case HiveOpening::Failed: TellResult(profile.label, "failed: " + why); return kExitListFailed;
    }
    int status = UninstallForUser(hive.User(), removal, "", changed);
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
            TellResult(profile->label,
                       "whether Excel was opened during the run could not be told (" +
                           SystemMessage(error) + "); run this again");
        } else if (MayRunExcel(running, profile->sid)) {
            TellResult(profile->label,
                       "Excel was opened during the run and may put the add-in back "
                       "when it closes; run this again once it is closed");
        } else {
            continue;
        }
        opened = true;
    }
    return opened;
}

int UninstallForAllUsers(const Removal& removal, const Options& options)
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
        const int status = UninstallForProfile(profile, options, removal, changed, loggedOn);
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

int UninstallThroughRegistry(const Options& options, const std::vector<AddInFile>& addIns)
{
    const Removal removal = RemovalOf(addIns, options, options.remove);
    if (options.allUsers) {
        return UninstallForAllUsers(removal, options);
    }
    // An open Excel would write its old list back when it closes.
    if (!options.force && !WaitUntilExcelIsClosed()) {
        return kExitExcelWasRunning;
    }
    return UninstallForThisUser(options, removal, "");
}

int UninstallGoneAddIn(const Options& options, const AddInFile& addIn)
{
    // Its Add-in Manager entry would only be a dead one that Excel asks
    // about at every start.
    return UninstallForThisUser(options, RemovalOf({addIn}, options, true),
                                "the add-in file \"" + AnsiFromWide(addIn.full) + "\" is gone; ");
}
