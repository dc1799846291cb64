// What a run does with the add-in, one function per mode; each reports what
// went wrong itself and returns the exit status.
#pragma once

#include "command_line/addin_file.h"
#include "command_line/options.h"

#include <vector>

// Through Excel, started for the purpose; then proves the result from the
// list Excel left behind, and with /remove takes the add-in off the
// Add-ins dialog too.
int UninstallThroughExcel(const Options& options, const AddInFile& addIn);

// /registry and /allusers: out of Excel's lists in the registry, Excel
// never started, every add-in given in one change of each user's lists.
int UninstallThroughRegistry(const Options& options, const std::vector<AddInFile>& addIns);

// The default run for an add-in file that is gone: Excel could only fail,
// and the add-in's own uninstall code can't run without its file. Takes it
// out of this user's lists and off the Add-ins dialog instead, as
// /registry /remove does, and says the file is gone.
int UninstallGoneAddIn(const Options& options, const AddInFile& addIn);

// /check: prints where the add-ins are installed; changes nothing.
int CheckWhereInstalled(const Options& options, const std::vector<AddInFile>& addIns);

// /list: prints every entry of the lists, for an inventory; changes nothing.
int ListAddIns(const Options& options);
