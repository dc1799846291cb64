#include "runs.h"

#include "addin_list/addin_match.h"
#include "addin_list/excel_lists.h"
#include "addin_list/list_change.h"
#include "excel/excel_client.h"
#include "excel/excel_running.h"
#include "excel/excel_version.h"
#include "excel/time_limit.h"
#include "report/console.h"
#include "report/exit_status.h"
#include "report/report.h"
#include "report/text.h"

namespace {

constexpr char kCurrentUserRoot[] = "HKEY_CURRENT_USER";

int RunExcel(const std::string& addInPath)
{
    CNuvExcelAuto excel;
    if (excel.Init() < 0) {
        ReportError("Fail to init excel", "Error");
        return kExitExcelUnavailable;
    }

    WriteLine(STD_OUTPUT_HANDLE, "Uninstalling " + addInPath);

    excel.UninstallAddIn(addInPath.c_str());
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
int TakeOffAddInsDialog(const AddInMatcher& addIn)
{
    std::vector<ExcelList> lists;
    ListError error = ReadExcelLists(HKEY_CURRENT_USER, lists);
    if (!error) {
        error = TakeOutOfLists(HKEY_CURRENT_USER, lists, addIn, DialogEntry::TakeOff, "").error;
    }
    if (error) {
        ReportError("The add-in could not be taken off Excel's Add-ins list (" +
                        Describe(error, kCurrentUserRoot) + ")",
                    "Error");
        return kExitListFailed;
    }
    return kExitUninstalled;
}

}  // namespace

int UninstallThroughExcel(const Options& options)
{
    if (!options.force && !WaitUntilExcelIsClosed()) {
        return kExitExcelWasRunning;
    }
    SetExcelTimeLimit(options.timeoutSeconds);
    const int status = RunExcel(options.addInPath);
    if (status != kExitUninstalled) {
        return status;
    }
    const AddInMatcher addIn(WideFromAnsi(options.addInPath), CurrentUserPaths());
    const int proof = ProveUninstalled(addIn);
    if (proof != kExitUninstalled || !options.remove) {
        return proof;
    }
    return TakeOffAddInsDialog(addIn);
}
