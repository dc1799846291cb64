#include "report/unseen_boxes.h"

bool BoxesWouldGoUnseen(bool flagsRead, unsigned long flags)
{
    // Flags that can't be read say nothing either way, and the program shows
    // boxes unless told otherwise: going quiet on a guess would leave a user
    // at the screen without the only report they see, while deployment tools
    // pass /quiet anyway.
    return flagsRead && (flags & kWindowStationVisible) == 0;
}
