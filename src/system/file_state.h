// What the file system says of a path, in the terms the runs decide by.
#pragma once

#include <string>

enum class FileState {
    Present,  // a file
    Gone,     // neither the file nor its folder is there
    Folder,   // a folder, not a file
    Unknown,  // it can't tell (access denied, a share out of reach): it may be there
};

// Only "not found" counts as Gone: a thing that can't be read, or a share
// that can't be reached, may still be there.
FileState StateOf(const std::wstring& path);
