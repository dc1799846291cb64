// Whether a box the program shows can be seen by anyone. A process of a
// service, or on a window station that is not interactive, shows its boxes
// where nobody looks, and each would wait for a click until the run is
// killed. Pure: no I/O, no Windows.
#pragma once

// WSF_VISIBLE, the window station's flag for "has a visible display".
constexpr unsigned long kWindowStationVisible = 0x0001;

// Where the process runs, as far as it could be told.
struct Screen {
    bool flagsRead = false;    // the window station's flags could be read
    unsigned long flags = 0;   // USEROBJECTFLAGS.dwFlags of the process's window station
    bool sessionRead = false;  // the process's session could be told
    unsigned long session = 0;
};

// Why boxes would go unseen there, for the log ("the run is in session 0,
// ..."), or nullptr when someone may see them.
const char* WhyBoxesGoUnseen(const Screen& screen);
