// The window station the process runs on.
#pragma once

// Its flags (USEROBJECTFLAGS.dwFlags); false when they can't be read.
bool ProcessWindowStationFlags(unsigned long& flags);
