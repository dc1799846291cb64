// What the file system's answer says of a path, in the terms the runs decide
// by. Pure: no I/O, no Windows.
#pragma once

enum class FileState {
    Present,  // a file
    Gone,     // it is not there: not found in a folder, or on a drive, that is
    Folder,   // a folder, not a file
    NoDrive,  // its drive letter names no drive for this process
    Unknown,  // it can't tell (access denied, a share out of reach): it may be there
};

// Windows' answers when a look finds nothing (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND).
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;

// What a path is that a look could not find, given the look's error, whether
// the path starts with a drive letter and that drive is there for this
// process, and whether the folder it names the file in is there. Drive
// letters belong to a logon session: an elevated run doesn't see the
// user's mapped drives, and a file there is not gone.
struct FailedLook {
    unsigned long error;
    bool onDriveLetter;
    bool driveIsThere;
    bool parentIsFolder;
};
FileState StateAfterFailedLook(const FailedLook& look);
