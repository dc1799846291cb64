#include "automation_server.h"

#include "addin_keys.h"
#include "call_log.h"
#include "class_factory.h"
#include "main_window.h"
#include "message_filter.h"
#include "pretend_running.h"
#include "server_state.h"
#include "standin_ids.h"
#include "text.h"

#include <windows.h>
#include <objbase.h>

#include <string>

namespace {

// COM starts a local server in the system folder on Windows, but in its
// client's folder under Wine, where a relative path the client passes would
// find the client's files as Excel never does.
bool MoveToSystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH && SetCurrentDirectoryW(folder);
}

// Serves until the client has let go of everything it was handed.
HRESULT ServeUntilDone(REFCLSID clsid)
{
    // SINGLEUSE: every CoCreateInstance starts a fresh process, as with Excel.
    static ClassFactory factory;
    DWORD cookie = 0;
    const HRESULT hr =
        CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie);
    if (FAILED(hr))
        return hr;
    PumpMessages();
    CoRevokeClassObject(cookie);
    return S_OK;
}

// The filter must be in place before the class object is offered, so that
// even the client's first call can be turned away.
HRESULT Serve(REFCLSID clsid, DWORD rejections)
{
    if (rejections == 0)
        return ServeUntilDone(clsid);
    static BusyMessageFilter filter(rejections);
    HRESULT hr = CoRegisterMessageFilter(&filter, nullptr);
    if (FAILED(hr))
        return hr;
    hr = ServeUntilDone(clsid);
    CoRegisterMessageFilter(nullptr, nullptr);
    return hr;
}

// Excel under automation has its main window too, hidden, from before it
// takes its first call until it ends.
HRESULT ServeWithMainWindow(REFCLSID clsid)
{
    ServerState& server = Server();
    server.mainWindow = CreateMainWindow(false);
    if (!server.mainWindow)
        return HRESULT_FROM_WIN32(GetLastError());
    const HRESULT hr = Serve(clsid, server.settings.rejectCalls);
    if (IsWindow(server.mainWindow))
        DestroyWindow(server.mainWindow);
    return hr;
}

}  // namespace

int RunServer()
{
    ServerState& server = Server();
    server.settings = ReadSettings();
    SetCallLogPath(server.settings.callLog);
    LogLine(L"start");
    if (server.settings.failStart)
        return 1;
    // A user opens Excel while this one starts: two new Excel processes.
    if (SameText(server.settings.openUsersExcelIn, L"start"))
        OpenUsersExcel();
    // An Excel stuck before it is ready: the client's CoCreateInstance waits.
    if (server.settings.neverRegister)
        Sleep(INFINITE);
    if (!MoveToSystemFolder())
        return 1;
    server.addIns = ReadAddInList();
    server.addInsAtStart = server.addIns;

    CLSID clsid;
    if (FAILED(CLSIDFromString(standin::kClsid, &clsid)))
        return 1;
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    const HRESULT hr = ServeWithMainWindow(clsid);
    CoUninitialize();
    if (FAILED(hr))
        return 1;
    // Marks the end a Quit asked for; a client that let go without one sees
    // its last release as the last line.
    if (server.quitRequested)
        LogLine(L"exit");
    return 0;
}
