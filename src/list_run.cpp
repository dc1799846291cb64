#include "runs.h"

#include "addin_list/drive_type.h"
#include "addin_list/excel_lists.h"
#include "addin_list/image_bits.h"
#include "addin_list/listed_addins.h"
#include "excel/excel_version.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/json_line.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "report/unreadable_list.h"
#include "system/file_head.h"
#include "system/file_state.h"
#include "users/machine_users.h"
#include "users/user_hive.h"

#include <optional>
#include <string>
#include <vector>

namespace {

// What an entry's file is, and its bitness where it is an XLL that was read.
struct FileFacts {
    FileLook look = FileLook::NotLookedAt;
    std::optional<int> xllBits;
};

// Only the run's own user's paths, and only on a local fixed disk, are
// looked at: another user's values are theirs to choose, and a look at one
// as SYSTEM could reach a server of their choosing.
FileFacts LookAt(const UserHive& user, const ListedAddIn& entry)
{
    FileFacts facts;
    if (!user.own || entry.path.empty() || DriveTypeOf(entry.path) != DRIVE_FIXED) {
        return facts;
    }
    switch (StateOf(entry.path)) {
    case FileState::Present: facts.look = FileLook::Found; break;
    case FileState::Gone:
    case FileState::Folder: facts.look = FileLook::Gone; return facts;
    default: return facts;
    }
    if (NamesXll(entry)) {
        facts.xllBits = ImageBits(FileHead(entry.path, kImageHeadBytes));
    }
    return facts;
}

// The bitness of the Excel registered for automation, read from its
// executable's image once a run; nothing where it can't be told.
std::optional<int> RegisteredExcelBits()
{
    static const std::optional<int> bits = [] {
        const std::wstring executable = ServerExecutable(RegisteredExcelClsid());
        return executable.empty() ? std::nullopt : ImageBits(FileHead(executable, kImageHeadBytes));
    }();
    return bits;
}

JsonLine& Bits(JsonLine& line, const char* field, std::optional<int> bits)
{
    return bits ? line.Number(field, *bits) : line.Null(field);
}

void PrintEntry(const UserHive& user, const std::wstring& version, const ListedAddIn& entry,
                bool json)
{
    const FileFacts facts = LookAt(user, entry);
    if (!json) {
        WriteLine(STD_OUTPUT_HANDLE,
                  EscapedLine(user.label + ": " +
                              AnsiFromWide(InventoryLine(version, entry, facts.look, facts.xllBits,
                                                         RegisteredExcelBits()))));
        return;
    }
    JsonLine line = UserFields(user.name, user.sid);
    line.Text("excel", version).Text("where", entry.where).Text("value", entry.value);
    if (entry.path.empty()) {
        line.Null("path");
    } else {
        line.Text("path", entry.path);
    }
    line.Boolean("installed", entry.installed).Text("file", FileLookName(facts.look));
    Bits(line, "xll_bits", facts.xllBits);
    Bits(line, "excel_bits", RegisteredExcelBits());
    WriteJsonLine(line.Object());
}

// Every entry of every Excel version of one user; false when the lists
// could not be read (reported).
bool ListUser(const UserHive& user, bool json)
{
    std::vector<ExcelList> lists;
    if (const ListError error = ReadExcelLists(user.root, lists, user.links)) {
        TellUnreadableList(user.label + ": ", user.name, user.sid, Describe(error, user.rootName),
                           json);
        return false;
    }
    for (const ExcelList& list : lists) {
        for (const ListedAddIn& entry : ListedAddIns(list.options, list.addInManager, user.paths)) {
            PrintEntry(user, list.version, entry, json);
        }
    }
    return true;
}

int ListAllUsers(bool json)
{
    std::vector<Profile> profiles;
    if (!StartAllUsersRun("Reading", profiles)) {
        return kExitListFailed;
    }
    const bool read =
        ReadEachProfile(profiles, {[&](const UserHive& user) { return ListUser(user, json); },
                                   // No failure; a tool reading objects has no entry to read.
                                   [&](const Profile& profile, const std::string& why) {
                                       if (json) {
                                           LogEvent("result: " + profile.label + ": " + why);
                                       } else {
                                           TellResult(profile.label, why);
                                       }
                                   },
                                   [&](const Profile& profile, const std::string& why) {
                                       TellUnreadableList(profile.label + ": ", profile.account,
                                                          profile.sid, why, json);
                                   }});
    return read ? kExitUninstalled : kExitListFailed;
}

}  // namespace

int ListAddIns(const Options& options)
{
    if (options.allUsers) {
        return ListAllUsers(options.json);
    }
    return ListUser(CurrentUserHive(), options.json) ? kExitUninstalled : kExitListFailed;
}
