// quiet-exec-standin: stands for WiX's quiet execution custom action
// (WixQuietExec64, which WiX's util extension links in as the binary WixCA),
// so that the installer tests can run the WiX recipe as it is written: WiX's
// own DLL comes only with the WiX toolset on Windows. As WiX's does, it runs
// the deferred action's command line (its CustomActionData) without a
// console window, waits for it, and fails the action unless it exits with 0.

#include <windows.h>

#include <msiquery.h>

#include <string>

#include "system/owned_handle.h"

namespace {

// The action's CustomActionData, or "" when it has none.
std::wstring CustomActionData(MSIHANDLE install)
{
    wchar_t none[1] = L"";
    DWORD length = 0;
    if (MsiGetPropertyW(install, L"CustomActionData", none, &length) != ERROR_MORE_DATA) {
        return {};
    }
    std::wstring data(length + 1, L'\0');
    length += 1;
    if (MsiGetPropertyW(install, L"CustomActionData", data.data(), &length) != ERROR_SUCCESS) {
        return {};
    }
    data.resize(length);
    return data;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall WixQuietExec64(MSIHANDLE install)
{
    std::wstring command = CustomActionData(install);
    if (command.empty()) {
        return ERROR_INSTALL_FAILURE;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started)) {
        return ERROR_INSTALL_FAILURE;
    }
    const OwnedHandle process(started.hProcess);
    const OwnedHandle thread(started.hThread);
    DWORD status = ERROR_INSTALL_FAILURE;
    if (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.Get(), &status)) {
        return ERROR_INSTALL_FAILURE;
    }
    return status == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}
