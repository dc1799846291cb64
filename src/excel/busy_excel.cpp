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
