#include "system/path_state.h"

FileState StateAfterFailedLook(const FailedLook& look)
{
    if (look.onDriveLetter && !look.driveIsThere) {
        return FileState::NoDrive;
    }
    // "Not found" counts only where the place that says so is there: the
    // file's folder, or the drive (or share) a folder is missing on.
    if (look.error == kFileNotFound) {
        return look.parentIsFolder ? FileState::Gone : FileState::Unknown;
    }
    return look.error == kPathNotFound ? FileState::Gone : FileState::Unknown;
}
