#include "excel/addin_volume.h"

#include "addin_list/drive_type.h"
#include "addin_list/path_rules.h"

AddInVolume VolumeOf(const std::wstring& fullPath)
{
    if (IsSharePath(fullPath)) {
        return AddInVolume::NetworkShare;
    }
    switch (DriveTypeOf(fullPath)) {
    case DRIVE_REMOTE: return AddInVolume::NetworkDrive;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM: return AddInVolume::RemovableMedium;
    default: return AddInVolume::LocalDisk;
    }
}

bool ExcelOffersToCopy(AddInVolume volume)
{
    return volume != AddInVolume::LocalDisk;
}

const char* VolumeName(AddInVolume volume)
{
    switch (volume) {
    case AddInVolume::NetworkShare: return "a network share";
    case AddInVolume::NetworkDrive: return "a network drive";
    case AddInVolume::RemovableMedium: return "a removable medium";
    default: return "a local disk";
    }
}
