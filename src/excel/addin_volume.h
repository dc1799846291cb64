// The kind of volume an add-in file lies on, which decides how Excel's
// AddIns.Add behaves: for a file not on a local fixed disk it asks whether
// to copy it into the user's add-ins folder, a dialog nobody can answer in
// an Excel started for automation.
#pragma once

#include <string>

enum class AddInVolume {
    LocalDisk,       // or a drive Windows can't tell: Excel asks nothing
    NetworkShare,    // \\server\share
    NetworkDrive,    // a drive letter mapped to a share
    RemovableMedium  // a removable drive, a CD or DVD
};

AddInVolume VolumeOf(const std::wstring& fullPath);

// Whether AddIns.Add without its CopyFile argument would show that dialog.
bool ExcelOffersToCopy(AddInVolume volume);

// "a network share", ... for the log.
const char* VolumeName(AddInVolume volume);
