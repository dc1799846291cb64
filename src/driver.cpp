// uninstall-addin: marks one Excel add-in, given by its file path, as not
// installed, by driving Excel through OLE Automation.

#include "dispatch.h"
#include "excel_client.h"

#include <cstdio>

namespace {

// Exit statuses callers can rely on.
constexpr int kExitSuccess = 0;
constexpr int kExitExcelUnavailable = 1;
constexpr int kExitUninstallFailed = 2;  // also AutoWrap's fatal exits
constexpr int kExitUsage = 3;

static_assert(kDispatchFatalExitCode == kExitUninstallFailed,
              "a call that cannot be made means the add-in was not uninstalled");

constexpr char kUsage[] =
    "Usage: uninstall-addin.exe <add-in file>\n\n"
    "Marks the Excel add-in stored in <add-in file> as not installed.";

}  // namespace

int main(int argc, char* argv[])
{
    // Without a path there is nothing to do; don't start Excel for it.
    if (argc < 2 || argv[1][0] == '\0') {
        ShowErrorBox(kUsage, "Error");
        return kExitUsage;
    }
    const char* addInPath = argv[1];

    CNuvExcelAuto excel;
    if (excel.Init() < 0) {
        ShowErrorBox("Fail to init excel", "Error");
        return kExitExcelUnavailable;
    }

    std::printf("Uninstalling %s\n", addInPath);
    std::fflush(stdout);

    excel.UninstallAddIn(addInPath);
    excel.Shutdown();
    return excel.AllCallsSucceeded() ? kExitSuccess : kExitUninstallFailed;
}
