// Whether a box the program shows can be seen by anyone. A process of a
// service, or on a window station that is not interactive, shows its boxes
// where nobody looks, and each would wait for a click until the run is
// killed. Pure: no I/O, no Windows.
#pragma once

// WSF_VISIBLE, the window station's flag for "has a visible display".
constexpr unsigned long kWindowStationVisible = 0x0001;

// True when boxes would go unseen, told by the process's window station's
// flags (USEROBJECTFLAGS.dwFlags); flagsRead is false when they could not
// be read.
bool BoxesWouldGoUnseen(bool flagsRead, unsigned long flags);
