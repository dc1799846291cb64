// The add-in file named on the command line, as typed and as Windows
// resolves it against this program's current folder.
#pragma once

#include <string>

// What the file system says of the add-in's path.
enum class FileState {
    Present,  // a file
    Gone,     // neither the file nor its folder is there
    Folder,   // a folder, not a file
    Unknown,  // it can't tell (access denied, a share out of reach): Excel may know better
};

struct AddInFile {
    std::string typed;  // for what the user reads: the progress line
    std::wstring full;  // for Excel and the lists: Excel's current folder is not ours
    FileState state = FileState::Unknown;
};

// Makes typed (ANSI code page, not empty) full, as Windows would open it from
// here, and looks it up. False, with problem saying why, for a path that
// can't be made full.
bool LocateAddInFile(const std::string& typed, AddInFile& file, std::string& problem);
