#include "excel/own_excel.h"

#include "excel/excel_processes.h"
#include "excel/excel_windows.h"
#include "excel/message_wait.h"
#include "excel/time_limit.h"
#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"
#include "system/owned_handle.h"

#include <algorithm>
#include <utility>
#include <string>
#include <vector>

namespace {

// How long a process ended here may take to be gone, so that its files are
// free when the run returns.
constexpr DWORD kEndingWaitMs = 5000;

// One of this run's Excel processes, its handle borrowed from OwnExcel,
// which keeps it open for as long as the program runs.
struct ExcelProcess {
    SeenExcel seen;
    HANDLE handle;
};

// Touched by the main thread and by the time limit's thread, which may end
// this run's Excel while the main thread is blocked in a call on it.
class OwnExcel {
public:
    void NoteStart(const std::wstring& executableName)
    {
        AcquireSRWLockExclusive(&m_lock);
        m_executableName = executableName;
        m_startedAt = Now();
        m_noted = true;
        ReleaseSRWLockExclusive(&m_lock);
    }

    void Find()
    {
        AcquireSRWLockExclusive(&m_lock);
        if (m_noted && !m_found) {
            m_found = true;
            std::vector<SeenExcel> running;
            DWORD error = ERROR_SUCCESS;
            if (!ProcessesNamed({m_executableName}, running, error)) {
                LogEvent("not told: Excel's processes could not be listed: " +
                         SystemMessage(error));
            }
            const SeenExcel& self = ThisProcess();
            for (const SeenExcel& excel : StartedSince(running, self.sid, self, m_startedAt)) {
                OwnedHandle handle(
                    OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                FALSE, excel.id));
                // The id may have gone to another process since the look.
                if (handle && ProcessesMatch(handle.Get(), excel)) {
                    m_processes.push_back({excel, std::move(handle)});
                }
            }
        }
        ReleaseSRWLockExclusive(&m_lock);
    }

    std::vector<ExcelProcess> Processes()
    {
        std::vector<ExcelProcess> processes;
        AcquireSRWLockShared(&m_lock);
        for (const OwnedProcess& process : m_processes) {
            processes.push_back({process.seen, process.handle.Get()});
        }
        ReleaseSRWLockShared(&m_lock);
        return processes;
    }

private:
    static bool ProcessesMatch(HANDLE process, const SeenExcel& seen)
    {
        return ProcessCreationTime(process) == seen.created;
    }

    SRWLOCK m_lock = SRWLOCK_INIT;
    std::wstring m_executableName;
    unsigned long long m_startedAt = 0;
    bool m_noted = false;
    bool m_found = false;
    struct OwnedProcess {
        SeenExcel seen;
        OwnedHandle handle;
    };
    std::vector<OwnedProcess> m_processes;
};

OwnExcel ownExcel;

}  // namespace

void NoteExcelStart(const CLSID& excelClass)
{
    wchar_t clsid[40] = {};
    ownExcel.NoteStart(StringFromGUID2(excelClass, clsid, 40) > 0 ? ServerExecutableName(clsid)
                                                                  : std::wstring());
}

void FindOwnExcel()
{
    ownExcel.Find();
}

std::vector<SeenExcel> OwnExcelSeen()
{
    std::vector<SeenExcel> seen;
    for (const ExcelProcess& process : ownExcel.Processes()) {
        seen.push_back(process.seen);
    }
    return seen;
}

void WaitForOwnExcelToEnd()
{
    const std::vector<ExcelProcess> processes = ownExcel.Processes();
    if (processes.empty()) {
        LogEvent("not waited for: the Excel process this run started could not be told");
        return;
    }
    const ExcelStep step(ExcelStep::Kind::End);
    for (const ExcelProcess& process : processes) {
        WaitWithMessages(process.handle, INFINITE);
    }
}

bool OwnExcelEndsWithin(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (const ExcelProcess& process : ownExcel.Processes()) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < end ? static_cast<DWORD>(end - now) : 0;
        if (!WaitWithMessages(process.handle, left)) {
            return false;
        }
    }
    return true;
}

void EndOwnExcel(const char* why)
{
    ownExcel.Find();
    const std::vector<ExcelProcess> processes = ownExcel.Processes();
    if (processes.size() > 1) {
        ReportError("None of the " + std::to_string(processes.size()) +
                        " Excel processes that started meanwhile was ended: this run's can't be "
                        "told from another's",
                    "uninstall-addin");
        return;
    }
    for (const ExcelProcess& process : processes) {
        if (WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0) {
            continue;
        }
        // A visible main window is a user's Excel, whatever its start.
        if (ShowsExcelWindow(ExcelWindows(), process.seen.id)) {
            LogEvent("left running: Excel process " + std::to_string(process.seen.id) +
                     ", which shows its window: a user's");
            continue;
        }
        TerminateProcess(process.handle, 1);
        WaitForSingleObject(process.handle, kEndingWaitMs);
        LogEvent("ended: Excel process " + std::to_string(process.seen.id) + ", as " + why);
    }
}

void AbandonRun(int status)
{
    EndOwnExcel(status == kExitExcelHung ? "it did not answer in time" : "the run could not go on");
    EndProcessNow(status);
}
