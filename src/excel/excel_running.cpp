#include "excel/excel_running.h"

#include "excel/excel_processes.h"
#include "excel/excel_windows.h"
#include "excel/own_excel.h"
#include "report/report.h"
#include "report/text.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr char kCaption[] = "uninstall-addin";

// This user's Excels, in any session; false, having reported it, when the
// processes can't be listed.
bool ThisUsersExcels(std::vector<SeenExcel>& mine)
{
    std::vector<SeenExcel> running;
    DWORD error = ERROR_SUCCESS;
    if (!ExcelProcesses(running, error)) {
        ReportError("Whether Excel is running could not be told: Excel's processes could not be "
                    "listed (" +
                        SystemMessage(error) + ")",
                    kCaption);
        return false;
    }
    mine = ExcelsOf(running, ThisProcess().sid);
    return true;
}

const SeenExcel* FirstShowingWindow(const std::vector<SeenExcel>& excels,
                                    const std::vector<ExcelWindow>& windows)
{
    for (const SeenExcel& excel : excels) {
        if (ShowsExcelWindow(windows, excel.id)) {
            return &excel;
        }
    }
    return nullptr;
}

bool InAnotherSession(const SeenExcel& excel)
{
    const SeenExcel& self = ThisProcess();
    return excel.sessionKnown && self.sessionKnown && excel.session != self.session;
}

// An Excel with no window here to close: what it is and what to do.
std::string WithoutWindowHere(const SeenExcel& excel)
{
    const std::string process = std::to_string(excel.id);
    if (InAnotherSession(excel)) {
        return "Excel is running in another session of this user (process " + process +
               ", session " + std::to_string(excel.session) +
               "); close it there, then run this again";
    }
    return "An Excel without a window is running (process " + process +
           "); end it in Task Manager, then run this again";
}

}  // namespace

bool WaitUntilExcelIsClosed()
{
    // Looking at the processes first spares a run without Excel the
    // desktop's windows, which cost more.
    std::vector<SeenExcel> mine;
    for (;;) {
        if (!ThisUsersExcels(mine)) {
            return false;
        }
        if (mine.empty()) {
            return true;
        }
        if (FirstShowingWindow(mine, ExcelWindows()) == nullptr) {
            ReportError(WithoutWindowHere(mine.front()), kCaption);
            return false;
        }
        if (!AskToRetry(
                "Excel is running. Close every Excel window, then choose Retry, or choose Cancel "
                "to stop without changing anything.",
                kCaption, "Excel is running: close it and run this again")) {
            return false;
        }
    }
}

bool ReportExcelOpenedDuringRun()
{
    std::vector<SeenExcel> mine;
    if (!ThisUsersExcels(mine)) {
        return true;
    }
    const std::vector<SeenExcel> opened =
        OpenedSince(mine, ThisProcess().sid, ThisProcess().created, OwnExcelSeen());
    if (opened.empty()) {
        return false;
    }
    if (FirstShowingWindow(opened, ExcelWindows()) != nullptr) {
        ReportError("Excel was opened during the run and may put the add-in back when it "
                    "closes; run this again once it is closed",
                    kCaption);
    } else {
        ReportError("An Excel " +
                        std::string(InAnotherSession(opened.front()) ? "in another session"
                                                                     : "without a window") +
                        " (process " + std::to_string(opened.front().id) +
                        ") was started during the run and may put the add-in back when it ends; "
                        "run this again once it has ended",
                    kCaption);
    }
    return true;
}
