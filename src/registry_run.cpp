#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "excel/excel_running.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/text.h"
#include "users/user_hive.h"

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

// The user's line, on standard output and in the log.
void Tell(const UserHive& user, const std::string& result)
{
    const std::string line = user.label + ": " + result;
    WriteLine(STD_OUTPUT_HANDLE, line);
    LogEvent("result: " + line);
}

// Takes the add-in out of every Excel version's list of one user; the
// status of that user's part of the run.
int UninstallForUser(const UserHive& user, const std::wstring& addInPath, bool remove)
{
    std::vector<ExcelList> lists;
    ListChangeOutcome outcome;
    outcome.error = ReadExcelLists(user.root, lists);
    if (!outcome.error) {
        const AddInMatcher addIn(addInPath, user.paths);
        outcome =
            TakeOutOfLists(user.root, lists, addIn,
                           remove ? DialogEntry::TakeOff : DialogEntry::KeepListed, user.label);
    }
    if (outcome.error) {
        Tell(user, "failed: " + Describe(outcome.error, user.rootName));
        return kExitListFailed;
    }
    Tell(user, Summary(outcome));
    return kExitUninstalled;
}

}  // namespace

int UninstallThroughRegistry(const Options& options)
{
    const std::wstring addInPath = WideFromAnsi(options.addInPath);
    // An open Excel would write its old list back when it closes.
    if (!options.force && !WaitUntilExcelIsClosed()) {
        return kExitExcelWasRunning;
    }
    return UninstallForUser(CurrentUserHive(), addInPath, options.remove);
}
