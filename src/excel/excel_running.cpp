#include "excel/excel_running.h"

#include "report/report.h"

#include <windows.h>

bool ExcelWindowIsOpen()
{
    return FindWindowW(L"XLMAIN", nullptr) != nullptr;
}

bool WaitUntilExcelIsClosed()
{
    while (ExcelWindowIsOpen()) {
        if (!AskToRetry(
                "Excel is running. Close every Excel window, then choose Retry, or choose Cancel "
                "to stop without changing anything.",
                "uninstall-addin", "Excel is running: close it and run this again")) {
            return false;
        }
    }
    return true;
}
