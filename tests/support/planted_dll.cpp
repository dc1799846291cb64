// planted-dll: stands for a DLL that someone dropped beside a program under
// the name of one Windows loads. Loaded, it leaves "<its file>.loaded".

#include <windows.h>

namespace {

// Only kernel32 and fixed buffers: this runs under the loader's lock.
void LeaveMarker(HMODULE self)
{
    constexpr wchar_t kSuffix[] = L".loaded";
    wchar_t path[MAX_PATH + sizeof kSuffix / sizeof kSuffix[0]] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    lstrcatW(path, kSuffix);
    HANDLE marker =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) {
        CloseHandle(marker);
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        LeaveMarker(instance);
    }
    return TRUE;
}
