// One change of Excel's add-in lists at a time, machine-wide.
//
// Two runs that change the same user's list at once (a deployment tool's
// retry beside the run it gave up waiting for, an /allusers run as SYSTEM
// beside an uninstaller in the user's session) would each write from what
// they read: the later one could put back a value the other removed, or
// leave one above a gap where Excel no longer loads it. So every
// read-change-write of a list is made while holding the named mutex
// Global\uninstall-addin-lists (Local\uninstall-addin-lists where Global\ is
// refused): runs on one machine take turns.
#pragma once

#include "system/owned_handle.h"

#include <windows.h>

class ListsTurn {
public:
    ListsTurn() = default;
    ~ListsTurn() { Release(); }

    ListsTurn(const ListsTurn&) = delete;
    ListsTurn& operator=(const ListsTurn&) = delete;

    // Waits up to seconds (0: as long as it takes) for the turn. False when
    // it can't be had, having reported why; status is then the run's exit
    // status: kExitExcelWasRunning (try again later) while another run kept
    // it, kExitListFailed when the mutex could not be made. A mutex whose
    // owner ended without releasing it is taken over, with a log line.
    bool Take(unsigned seconds, int& status);
    void Release();

private:
    OwnedHandle m_mutex;
    bool m_held = false;
};
