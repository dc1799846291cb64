#include "addin_list/lists_turn.h"

#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/report.h"
#include "report/text.h"

#include <sddl.h>

namespace {

// The name tried first, machine-wide, and the one of its fallback, which
// keeps out only runs in this session.
constexpr wchar_t kListsMutexName[] = L"Global\\uninstall-addin-lists";
constexpr wchar_t kListsMutexFallbackName[] = L"Local\\uninstall-addin-lists";

// Waiting on the mutex and releasing it: all a run needs, and all that the
// mutex grants anyone, so that a user's run and SYSTEM's share it whichever
// made it (without this, a mutex SYSTEM made would refuse the user's run).
constexpr DWORD kTurnAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;
constexpr wchar_t kTurnSecurity[] =
    L"D:(A;;0x00100001;;;SY)(A;;0x00100001;;;BA)(A;;0x00100001;;;AU)";

OwnedHandle MakeMutex(const wchar_t* name, DWORD& error)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kTurnSecurity, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
        error = GetLastError();
        return OwnedHandle();
    }
    OwnedHandle mutex(CreateMutexExW(&attributes, name, 0, kTurnAccess));
    error = !mutex ? GetLastError() : ERROR_SUCCESS;
    LocalFree(attributes.lpSecurityDescriptor);
    return mutex;
}

std::string Named(const wchar_t* name)
{
    return AnsiFromWide(name);
}

}  // namespace

bool ListsTurn::Take(unsigned seconds, int& status)
{
    Release();
    const wchar_t* name = kListsMutexName;
    DWORD error = ERROR_SUCCESS;
    m_mutex = MakeMutex(name, error);
    if (!m_mutex && error == ERROR_ACCESS_DENIED) {
        LogEvent("mutex: " + Named(name) + " was refused (" + SystemMessage(error) +
                 "); runs in other sessions are not kept out");
        name = kListsMutexFallbackName;
        m_mutex = MakeMutex(name, error);
    }
    if (!m_mutex) {
        ReportError("Excel's add-in lists could not be reserved for this run: the mutex " +
                        Named(name) + " could not be made: " + SystemMessage(error),
                    "Error");
        status = kExitListFailed;
        return false;
    }
    DWORD wait = WaitForSingleObject(m_mutex.Get(), 0);
    if (wait == WAIT_TIMEOUT) {
        LogEvent("waiting: another run is changing Excel's add-in lists (" + Named(name) + ")");
        wait = WaitForSingleObject(m_mutex.Get(), seconds == 0 ? INFINITE : seconds * 1000);
    }
    switch (wait) {
    case WAIT_OBJECT_0: m_held = true; return true;
    case WAIT_ABANDONED:
        // Its owner ended in the middle of a change, which leaves at worst
        // one value twice (see PlanRemoval); the lists are usable as they are.
        LogEvent("taken over: " + Named(name) +
                 ", left held by a run that ended while changing Excel's add-in lists");
        m_held = true;
        return true;
    case WAIT_TIMEOUT:
        ReportError("Another run is changing Excel's add-in lists; nothing was changed, try "
                    "again later",
                    "uninstall-addin");
        status = kExitExcelWasRunning;
        return false;
    default:
        error = GetLastError();
        ReportError("Excel's add-in lists could not be reserved for this run: waiting for the "
                    "mutex " +
                        Named(name) + " failed: " + SystemMessage(error),
                    "Error");
        status = kExitListFailed;
        return false;
    }
}

void ListsTurn::Release()
{
    if (m_held) {
        ReleaseMutex(m_mutex.Get());
        m_held = false;
    }
    m_mutex.Close();
}
