#include "system/file_state.h"

#include "addin_list/path_rules.h"

#include <windows.h>

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

FileState StateOf(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileState::Folder : FileState::Present;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return FileState::Unknown;
    }
    const std::wstring root = DriveRoot(path);
    FailedLook look = {error, !root.empty(), true, false};
    if (look.onDriveLetter) {
        look.driveIsThere = GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR;
    }
    if (error == ERROR_FILE_NOT_FOUND) {
        look.parentIsFolder = IsFolder(ParentFolder(path));
    }
    return StateAfterFailedLook(look);
}
