#include "report/window_station.h"

#include "report/unseen_boxes.h"

#include <windows.h>

static_assert(kWindowStationVisible == WSF_VISIBLE, "the pure rule's copy of WSF_VISIBLE");

bool ProcessWindowStationFlags(unsigned long& flags)
{
    // The process's own window station: not to be closed.
    const HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS objectFlags = {};
    DWORD needed = 0;
    if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &objectFlags,
                                                         sizeof(objectFlags), &needed)) {
        return false;
    }
    flags = objectFlags.dwFlags;
    return true;
}
