#include "addin_list/drive_type.h"

#include "addin_list/path_rules.h"

UINT DriveTypeOf(const std::wstring& fullPath)
{
    if (IsSharePath(fullPath)) {
        return DRIVE_REMOTE;
    }
    const std::wstring root = DriveRoot(fullPath);
    return root.empty() ? DRIVE_UNKNOWN : GetDriveTypeW(root.c_str());
}
