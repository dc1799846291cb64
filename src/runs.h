// What a run does with the add-in, one function per mode; each reports what
// went wrong itself and returns the exit status.
#pragma once

#include "command_line/addin_file.h"
#include "command_line/options.h"

// Through Excel, started for the purpose; then proves the result from the
// list Excel left behind, and with /remove takes the add-in off the
// Add-ins dialog too.
int UninstallThroughExcel(const Options& options, const AddInFile& addIn);

// /registry: out of Excel's lists in the registry, Excel never started.
int UninstallThroughRegistry(const Options& options, const AddInFile& addIn);

// /check: prints where the add-in is installed; changes nothing.
int CheckWhereInstalled(const Options& options, const AddInFile& addIn);
