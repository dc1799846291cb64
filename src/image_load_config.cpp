// The image's load configuration, for MinGW builds linked by lld: MSVC's
// runtime brings its own, and MinGW-w64's runtime here brings none.

#include <windows.h>

#include <cstddef>

// The directory as Windows 7 and 8 knew it. Later versions added fields
// after these and read only the fields that Size covers, so every version
// reads this one alike. Declared here, as the headers name the field at
// 0x4E differently (DependentLoadFlags, or Reserved1 in older MinGW-w64).
struct LoadConfigDirectory64 {
    DWORD size;
    DWORD timeDateStamp;
    WORD majorVersion;
    WORD minorVersion;
    DWORD globalFlagsClear;
    DWORD globalFlagsSet;
    DWORD criticalSectionDefaultTimeout;
    ULONGLONG deCommitFreeBlockThreshold;
    ULONGLONG deCommitTotalFreeThreshold;
    ULONGLONG lockPrefixTable;
    ULONGLONG maximumAllocationSize;
    ULONGLONG virtualMemoryThreshold;
    ULONGLONG processAffinityMask;
    DWORD processHeapFlags;
    WORD csdVersion;
    WORD dependentLoadFlags;
    ULONGLONG editList;
    ULONGLONG securityCookie;
    ULONGLONG seHandlerTable;
    ULONGLONG seHandlerCount;
};
static_assert(offsetof(LoadConfigDirectory64, dependentLoadFlags) == 0x4E,
              "DependentLoadFlags is where Windows reads it");
static_assert(sizeof(LoadConfigDirectory64) == 0x70, "the size Windows 7 knows");

namespace {

// Everything but the size and the flags stays zero, as in an image built
// without those features: no security cookie for the loader to set (the
// compiler's stack protector keeps its own guard) and no control-flow guard tables.
constexpr LoadConfigDirectory64 ProgramLoadConfig()
{
    LoadConfigDirectory64 config = {};
    config.size = sizeof config;
    // The DLLs that the image imports come from the system folder only.
    config.dependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return config;
}

}  // namespace

// The linker points the image's load-configuration directory at the symbol
// of this name, and sizes the directory by its first field.
extern "C" const LoadConfigDirectory64 _load_config_used = ProgramLoadConfig();
