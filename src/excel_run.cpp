#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "addin_list/lists_turn.h"
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
    const std::vector<InstalledPlace> places = InstalledPlaces(lists, addIn);
    if (!places.empty()) {
        ReportError("Excel still lists the add-in as installed (\"" +
                        AnsiFromWide(places.front().valueName) + "\" under " +
                        ExcelName(places.front().version) + ")",
                    "Error");
        return kExitUninstallFailed;
    }
    return kExitUninstalled;
}

// Off the Add-ins dialog: every version's Add-in Manager value, and any
// OPEN value that another version still has.
int TakeOffAddInsDialog(const AddInMatcher& addIn, unsigned timeoutSeconds)
{
    OwnListsTurn turn;
    int refused = kExitUninstalled;
    if (!turn.Take(timeoutSeconds, refused)) {
        return refused;
    }
    const ListError error =
        TakeOutOfLists(HKEY_CURRENT_USER, KeyLinks::Follow, addIn, DialogEntry::TakeOff, "").error;
    if (error) {
        ReportError("The add-in could not be taken off Excel's Add-ins list (" +
                        Describe(error, kCurrentUserRoot) + ")",
                    "Error");
        return kExitListFailed;
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
    const AddInMatcher addIn(file.full, CurrentUserPaths());
    int proof = ProveUninstalled(addIn);
    if (proof == kExitUninstalled && options.remove) {
        proof = TakeOffAddInsDialog(addIn, options.timeoutSeconds);
    }
    // An Excel the user opened meanwhile would put the old list back.
    return proof == kExitUninstalled && ReportExcelOpenedDuringRun() ? kExitExcelWasRunning : proof;
}
