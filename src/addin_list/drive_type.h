// The kind of drive a path lies on. A user's values decide which paths the
// program meets, so the path's form is read first: a share is never asked
// about, which would connect to its server.
#pragma once

#include <windows.h>

#include <string>

// As GetDriveTypeW answers for the path's drive (DRIVE_FIXED,
// DRIVE_REMOVABLE, DRIVE_REMOTE, ...): DRIVE_REMOTE for a share, told by
// its form alone; DRIVE_UNKNOWN for a path without a drive letter, such as
// a device's.
UINT DriveTypeOf(const std::wstring& fullPath);
