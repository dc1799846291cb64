#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "addin_list/lists_turn.h"
#include "addin_list/open_value.h"
#include "excel/addin_volume.h"
#include "excel/excel_client.h"
#include "excel/excel_running.h"
#include "excel/excel_version.h"
#include "excel/time_limit.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "users/user_hive.h"

namespace {

constexpr char kCurrentUserRoot[] = "HKEY_CURRENT_USER";

// Where Excel would ask whether to copy the add-in, it is told not to: the
// add-in stays where it is, and no dialog waits for an answer nobody gives.
CopyChoice CopyChoiceFor(const std::wstring& fullPath)
{
    const AddInVolume volume = VolumeOf(fullPath);
    if (!ExcelOffersToCopy(volume)) {
        return CopyChoice::NotAsked;
    }
    LogEvent(std::string("not copied: the add-in lies on ") + VolumeName(volume) +
             "; Excel is told to leave it there");
    return CopyChoice::DontCopy;
}

int RunExcel(const AddInFile& addIn)
{
    CNuvExcelAuto excel;
    if (excel.Init() < 0) {
        ReportError("Fail to init excel", "Error");
        return kExitExcelUnavailable;
    }

    WriteLine(STD_OUTPUT_HANDLE, EscapedLine("Uninstalling " + addIn.typed));

    excel.UninstallAddIn(addIn.full, CopyChoiceFor(addIn.full));
    excel.Shutdown();
    return excel.AllCallsSucceeded() ? kExitUninstalled : kExitUninstallFailed;
}

// The list of the Excel that ran, or of every version when there is no
// telling which one that was.
ListError ReadListsOfExcelThatRan(std::vector<ExcelList>& lists)
{
    const std::optional<std::wstring> version = RegisteredExcelVersion();
    if (!version) {
        return ReadExcelLists(HKEY_CURRENT_USER, lists);
    }
    lists.resize(1);
    return ReadExcelList(HKEY_CURRENT_USER, *version, lists[0]);
}

// Excel said yes to every call; what it wrote when it ended is the proof.
int ProveUninstalled(const AddInMatcher& addIn)
{
    std::vector<ExcelList> lists;
    if (const ListError error = ReadListsOfExcelThatRan(lists)) {
        ReportError("Excel's add-in list could not be read (" + Describe(error, kCurrentUserRoot) +
                        ")",
                    "Error");
        return kExitListFailed;
    }
    const std::vector<InstalledPlace> places = InstalledPlaces(lists, {addIn});
    if (!places.empty()) {
        ReportError("Excel still lists the add-in as installed (\"" +
                        AnsiFromWide(places.front().valueName) + "\" under " +
                        ExcelName(places.front().version) + ")",
                    "Error");
        return kExitUninstallFailed;
    }
    return kExitUninstalled;
}

// A line for each copy of the add-in elsewhere that went, on standard
// output and in the log.
void TellCopies(const ListChangeOutcome& outcome, const AddInMatcher& thisFile,
                const PathBase& paths)
{
    const std::string user = CurrentUserHive().label;
    const auto tell = [&](const std::wstring& path, const std::string& what) {
        TellResult(user, "copy \"" + AnsiFromWide(path) + "\": " + what);
    };
    for (const InstalledPlace& place : outcome.removed) {
        const std::wstring copy = FullPath(ParseOpenValue(place.data).file, paths);
        if (!thisFile.IsPath(copy)) {
            tell(copy, "removed \"" + AnsiFromWide(place.valueName) + "\" under " +
                           ExcelName(place.version));
        }
    }
    for (const DialogPlace& place : outcome.takenOffDialog) {
        if (!thisFile.IsPath(place.name)) {
            tell(place.name, "taken off the Add-ins list under " + ExcelName(place.version));
        }
    }
}

// After Excel: with /remove, off the Add-ins dialog, every version's Add-in
// Manager value and any OPEN value that another version still has; with
// /anyfolder, every copy elsewhere out of the lists too, as /registry takes
// them out. One change, under one turn.
int TakeOutAfterExcel(const AddInPath& path, const PathBase& paths, const AddInMatcher& thisFile,
                      const Options& options)
{
    if (!options.remove && !options.anyFolder) {
        return kExitUninstalled;
    }
    OwnListsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(options.timeoutSeconds, refused)) {
        return refused;
    }
    const AddInMatcher addIn(path, paths, {options.anyFolder, true});
    const ListChangeOutcome outcome =
        TakeOutOfLists(HKEY_CURRENT_USER, KeyLinks::Follow, {addIn},
                       options.remove ? DialogEntry::TakeOff : DialogEntry::KeepListed, "");
    if (outcome.error) {
        ReportError("The add-in could not be taken off Excel's lists (" +
                        Describe(outcome.error, kCurrentUserRoot) + ")",
                    "Error");
        return kExitListFailed;
    }
    if (options.anyFolder) {
        TellCopies(outcome, thisFile, paths);
    }
    return kExitUninstalled;
}

}  // namespace

int UninstallThroughExcel(const Options& options, const AddInFile& file)
{
    if (!options.force && !WaitUntilExcelIsClosed()) {
        return kExitExcelWasRunning;
    }
    if (file.state == FileState::Gone) {
        return UninstallGoneAddIn(options, file);
    }
    SetExcelTimeLimit(options.timeoutSeconds);
    const int status = RunExcel(file);
    if (status != kExitUninstalled) {
        return status;
    }
    // The add-in's names, looked up once for the proof and the change.
    const AddInPath path = NamesOfPath(file.full);
    const PathBase paths = CurrentUserPaths();
    const AddInMatcher thisFile(path, paths);
    int proof = ProveUninstalled(thisFile);
    if (proof == kExitUninstalled) {
        proof = TakeOutAfterExcel(path, paths, thisFile, options);
    }
    // An Excel the user opened meanwhile would put the old list back.
    return proof == kExitUninstalled && ReportExcelOpenedDuringRun() ? kExitExcelWasRunning : proof;
}
