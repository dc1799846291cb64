// The add-in file named on the command line, as typed and as Windows
// resolves it against this program's current folder.
#pragma once

#include "system/file_state.h"

#include <string>

struct AddInFile {
    std::string typed;  // for what the user reads: the progress line
    std::wstring full;  // for Excel and the lists: Excel's current folder is not ours
    FileState state = FileState::Unknown;  // of full
};

// Makes typed (ANSI code page, not empty) full, as Windows would open it from
// here, and looks it up. False, with problem saying why, for a path that
// can't be made full.
bool LocateAddInFile(const std::string& typed, AddInFile& file, std::string& problem);

// What is wrong with a run through Excel on file, whose drive letter names
// no drive for this process; empty when there is nothing wrong.
std::string DriveProblem(const AddInFile& file);
