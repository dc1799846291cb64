#include "excel/busy_excel.h"

#include "report/log_file.h"

#include <cstdio>

bool IsBusyRejection(HRESULT hr)
{
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER;
}

void LogBusyRejection(const char* member, HRESULT hr, DWORD pauseMs)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "busy: Excel turned \"%s\" away with 0x%08lx (%s); again in %lu ms", member,
                  static_cast<unsigned long>(hr),
                  hr == RPC_E_CALL_REJECTED ? "RPC_E_CALL_REJECTED" : "RPC_E_SERVERCALL_RETRYLATER",
                  static_cast<unsigned long>(pauseMs));
    LogEvent(text);
}

void PauseWithMessages(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        const DWORD wait = MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                                     static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0) {
            continue;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
