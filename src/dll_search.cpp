// Keeps a DLL that someone dropped beside the program (in a download or a
// temporary folder, where installers run their helpers) from being loaded.

#include "dll_search.h"

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Null on Windows 7 without KB2533623. Looked up rather than imported: an
// import the system lacks would keep the program from starting at all.
SetDefaultDllDirectoriesFn FindSetDefaultDllDirectories()
{
    // kernel32 is in every process; GetModuleHandle loads nothing.
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
}

}  // namespace

void LoadDllsFromSystemFolderOnly()
{
    const SetDefaultDllDirectoriesFn setDefaultDllDirectories = FindSetDefaultDllDirectories();
    if (setDefaultDllDirectories != nullptr &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    // The best such a system allows: the current folder leaves the search,
    // though the program's own folder stays first in it.
    SetDllDirectoryW(L"");
}
