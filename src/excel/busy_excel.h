// Excel turns calls away while it is busy (starting, recalculating, showing
// a dialog). Such a call is made again after a pause that grows, until Excel
// takes it or the step's time limit ends the run.
#pragma once

#include "excel/message_wait.h"
#include "excel/time_limit.h"

#include <windows.h>

#include <algorithm>

// RPC_E_CALL_REJECTED or RPC_E_SERVERCALL_RETRYLATER.
bool IsBusyRejection(HRESULT hr);

// Records a rejection that will be retried after pauseMs.
void LogBusyRejection(const char* member, HRESULT hr, DWORD pauseMs);

inline constexpr DWORD kFirstBusyPauseMs = 50;
inline constexpr DWORD kLongestBusyPauseMs = 1000;

// Makes call() (a lookup or an invocation of member) as one step, again
// while Excel is busy; returns the HRESULT of the last attempt.
template <typename Call>
HRESULT CallWhileBusy(const char* member, Call call)
{
    const ExcelStep step(ExcelStep::Kind::Call, member);
    DWORD pause = kFirstBusyPauseMs;
    for (;;) {
        const HRESULT hr = call();
        if (!IsBusyRejection(hr)) {
            return hr;
        }
        LogBusyRejection(member, hr, pause);
        WaitWithMessages(nullptr, pause);
        pause = std::min(pause * 2, kLongestBusyPauseMs);
    }
}
