#include "report/unseen_boxes.h"

const char* WhyBoxesGoUnseen(const Screen& screen)
{
    // Since Windows Vista, services run in session 0, whose desktop nobody
    // sees, even where its window station calls itself visible (an
    // interactive service's does).
    if (screen.sessionRead && screen.session == 0) {
        return "the run is in session 0, where services run and nobody sees the desktop";
    }
    // Flags that can't be read say nothing either way, and the program shows
    // boxes unless told otherwise: going quiet on a guess would leave a user
    // at the screen without the only report they see, while deployment tools
    // pass /quiet anyway.
    if (screen.flagsRead && (screen.flags & kWindowStationVisible) == 0) {
        return "the window station is not visible";
    }
    return nullptr;
}
