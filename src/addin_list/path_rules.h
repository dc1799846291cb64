// Where an add-in path leads, by the rules Windows and Excel follow, so that
// two spellings of one file compare equal. Pure: no I/O, no Windows.
#pragma once

#include <string>
#include <vector>

// The folders a relative path is read against.
struct PathBase {
    std::wstring addInsFolder;   // a bare file name lies here (Excel's rule)
    std::wstring currentFolder;  // any other relative path lies here
};

// The full path of path: "/" read as "\", "\\?\" prefixes dropped, "." and
// ".." segments and repeated separators resolved, trailing dots and blanks
// of the last segment dropped, as Windows does before it opens a file. A
// bare file name is taken to be in base.addInsFolder. Empty for an empty
// path. Case is kept: compare the results without regard to case.
std::wstring FullPath(const std::wstring& path, const PathBase& base);

// A full path (as FullPath makes it) taken apart: its root, "C:" or
// "\\server\share", and the name of each folder on the way, then the file's.
struct PathParts {
    std::wstring root;
    std::vector<std::wstring> names;
};
PathParts PartsOf(const std::wstring& fullPath);

// A file name with no folder and no drive, such as "calc.xll".
bool IsBareFileName(const std::wstring& path);

// The folder a full path lies in, without a trailing backslash but for a
// drive's root ("C:\"); empty when path has no folder.
std::wstring ParentFolder(const std::wstring& fullPath);

// The root of the drive a full path lies on ("C:\"), also behind a "\\?\"
// prefix; empty for a path on a share or a device.
std::wstring DriveRoot(const std::wstring& fullPath);

// A path on a network share: "\\server\share\..." or "\\?\UNC\server\...".
// Told by its form alone, since a share that can't be reached can't be
// asked about.
bool IsSharePath(const std::wstring& fullPath);
