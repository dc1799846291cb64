#include "run_guard.h"

#include "addin_list/list_change.h"
#include "excel/own_excel.h"
#include "report/exit_status.h"
#include "report/report.h"

#include <exception>
#include <new>
#include <string>

namespace {

int EndBrokenOff(const char* what) noexcept
{
    // A change broken off may have left a list half done: that is a list
    // that could not be changed, not an uninstall that merely failed.
    const int status = ChangingAList() ? kExitListFailed : kExitUninstallFailed;
    try {
        // First, so that no Excel waits on a box the user may never answer.
        EndOwnExcel("the run broke off");
        ReportError(std::string("The run broke off: ") + what, "Error");
        EndRun(status);
    } catch (...) {
        // Not even the report could be made; the status still tells.
    }
    return status;
}

}  // namespace

int RunGuarded(const std::function<int()>& run)
{
    try {
        return run();
    } catch (const std::bad_alloc&) {
        return EndBrokenOff("out of memory");
    } catch (const std::exception& exception) {
        return EndBrokenOff(exception.what());
    } catch (...) {
        return EndBrokenOff("an unexpected exception");
    }
}
