#include "report/window_station.h"

#include <windows.h>

static_assert(kWindowStationVisible == WSF_VISIBLE, "the pure rule's copy of WSF_VISIBLE");

Screen ProcessScreen()
{
    Screen screen;
    // The process's own window station: not to be closed.
    const HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS objectFlags = {};
    DWORD needed = 0;
    screen.flagsRead =
        station != nullptr && GetUserObjectInformationW(station, UOI_FLAGS, &objectFlags,
                                                        sizeof(objectFlags), &needed) != FALSE;
    screen.flags = screen.flagsRead ? objectFlags.dwFlags : 0;
    DWORD session = 0;
    screen.sessionRead = ProcessIdToSessionId(GetCurrentProcessId(), &session) != FALSE;
    screen.session = session;
    return screen;
}
