// box-watcher: prints every message box shown on the desktop and dismisses
// it, so that a run in a prefix without a display can't hang on one.

#include "box_recorder.h"

int main()
{
    BoxRecorder boxes(true);
    Sleep(INFINITE);
}
