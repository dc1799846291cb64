#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "users/machine_users.h"
#include "users/user_hive.h"

namespace {

// One line per place the add-in is installed, each after prefix; false
// when the user's lists could not be read (reported).
bool PrintPlaces(const UserHive& user, const std::wstring& addInPath, const std::string& prefix)
{
    std::vector<ExcelList> lists;
    if (const ListError error = ReadExcelLists(user.root, lists, user.links)) {
        ReportError(prefix + "Excel's add-in list could not be read (" +
                        Describe(error, user.rootName) + ")",
                    "Error");
        return false;
    }
    const AddInMatcher addIn(addInPath, user.paths);
    for (const InstalledPlace& place : InstalledPlaces(lists, addIn)) {
        WriteLine(STD_OUTPUT_HANDLE, EscapedLine(prefix + "installed: " + ExcelName(place.version) +
                                                 " " + AnsiFromWide(place.valueName) + " \"" +
                                                 AnsiFromWide(place.data) + "\""));
    }
    return true;
}

// Every profile's places, each line after its user.
int CheckAllUsers(const std::wstring& addInPath)
{
    std::vector<Profile> profiles;
    if (!StartAllUsersRun("Reading", profiles)) {
        return kExitListFailed;
    }
    bool failed = false;
    for (const Profile& profile : profiles) {
        ProfileHive hive;
        std::string why;
        const HiveOpening opening = hive.Open(profile, why);
        if (opening == HiveOpening::Missing) {
            // Standard output is for places where the add-in is installed
            // only: detection scripts take any line there for "installed".
            LogEvent("result: " + profile.label + ": " + why);
            continue;
        }
        if (opening == HiveOpening::Failed) {
            ReportError(profile.label + ": Excel's add-in list could not be read (" + why + ")",
                        "Error");
            failed = true;
            continue;
        }
        failed = !PrintPlaces(hive.User(), addInPath, profile.label + ": ") || failed;
        if (!hive.Close(&why)) {
            ReportError(profile.label + ": " + why, "Error");
            failed = true;
        }
    }
    return failed ? kExitListFailed : kExitUninstalled;
}

}  // namespace

int CheckWhereInstalled(const Options& options, const AddInFile& addIn)
{
    if (options.allUsers) {
        return CheckAllUsers(addIn.full);
    }
    return PrintPlaces(CurrentUserHive(), addIn.full, "") ? kExitUninstalled : kExitListFailed;
}
