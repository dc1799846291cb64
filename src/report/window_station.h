// Where the process runs: its window station and its session.
#pragma once

#include "report/unseen_boxes.h"

// The window station's flags and the session, each as far as Windows tells.
Screen ProcessScreen();
