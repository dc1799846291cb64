#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "addin_list/open_value.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/json_line.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "report/unreadable_list.h"
#include "users/machine_users.h"
#include "users/user_hive.h"

namespace {

// One line (or object) per place an add-in is installed, each after prefix;
// false when the user's lists could not be read (reported).
bool PrintPlaces(const UserHive& user, const std::vector<AddInPath>& addInPaths,
                 const Options& options, const std::string& prefix)
{
    std::vector<ExcelList> lists;
    if (const ListError error = ReadExcelLists(user.root, lists, user.links)) {
        TellUnreadableList(prefix, user.name, user.sid, Describe(error, user.rootName),
                           options.json);
        return false;
    }
    const std::vector<AddInMatcher> addIns =
        MatchersFor(addInPaths, user.paths, {options.anyFolder, user.own});
    for (const InstalledPlace& place : InstalledPlaces(lists, addIns)) {
        if (options.json) {
            const std::wstring file = ParseOpenValue(place.data).file;
            WriteJsonLine(UserFields(user.name, user.sid)
                              .Text("excel", place.version)
                              .Text("where", place.valueName)
                              .Text("value", place.data)
                              .Text("path", FullPath(file, user.paths))
                              .Boolean("installed", true)
                              .Text("addin", addIns[place.addIn].FullPath())
                              .Object());
            continue;
        }
        WriteLine(STD_OUTPUT_HANDLE, EscapedLine(prefix + "installed: " + ExcelName(place.version) +
                                                 " " + AnsiFromWide(place.valueName) + " \"" +
                                                 AnsiFromWide(place.data) + "\""));
    }
    return true;
}

// Every profile's places, each line after its user.
int CheckAllUsers(const std::vector<AddInPath>& addIns, const Options& options)
{
    std::vector<Profile> profiles;
    if (!StartAllUsersRun("Reading", profiles)) {
        return kExitListFailed;
    }
    const bool read =
        ReadEachProfile(profiles, {[&](const UserHive& user) {
                                       return PrintPlaces(user, addIns, options, user.label + ": ");
                                   },
                                   // Standard output is for places where the add-in is installed
                                   // only: detection scripts take any line there for "installed".
                                   [](const Profile& profile, const std::string& why) {
                                       LogEvent("result: " + profile.label + ": " + why);
                                   },
                                   [&](const Profile& profile, const std::string& why) {
                                       TellUnreadableList(profile.label + ": ", profile.account,
                                                          profile.sid, why, options.json);
                                   }});
    return read ? kExitUninstalled : kExitListFailed;
}

}  // namespace

int CheckWhereInstalled(const Options& options, const std::vector<AddInFile>& files)
{
    std::vector<AddInPath> addIns;
    for (const AddInFile& file : files) {
        addIns.push_back(NamesOfPath(file.full));
    }
    if (options.allUsers) {
        return CheckAllUsers(addIns, options);
    }
    return PrintPlaces(CurrentUserHive(), addIns, options, "") ? kExitUninstalled : kExitListFailed;
}
