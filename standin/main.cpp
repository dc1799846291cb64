// excel-standin: a local automation server that answers as "Excel.Application"
// so the uninstaller can be tested where Excel is not installed.

#include "addin_state.h"
#include "call_log.h"
#include "class_factory.h"
#include "message_filter.h"
#include "pretend_running.h"
#include "registration.h"
#include "server_state.h"
#include "standin_ids.h"
#include "text.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

void WriteLine(DWORD stdHandle, const std::wstring& text)
{
    HANDLE handle = GetStdHandle(stdHandle);
    const std::wstring line = text + L"\n";
    DWORD mode = 0;
    DWORD written = 0;
    // A console shows wide text as is; a pipe or file gets UTF-8.
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(line);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Usage()
{
    WriteLine(STD_ERROR_HANDLE,
              L"usage: excel-standin /regserver | /unregserver | /set-installed <path> <0|1>"
              L" | /show-installed <path> | /pretend-running <seconds> | -Embedding");
    return 2;
}

void PumpMessages()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Serves until the client has told it to quit and released everything.
HRESULT ServeUntilQuit(REFCLSID clsid)
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
        return ServeUntilQuit(clsid);
    static BusyMessageFilter filter(rejections);
    HRESULT hr = CoRegisterMessageFilter(&filter, nullptr);
    if (FAILED(hr))
        return hr;
    hr = ServeUntilQuit(clsid);
    CoRegisterMessageFilter(nullptr, nullptr);
    return hr;
}

int RunServer()
{
    ServerState& server = Server();
    server.settings = ReadSettings();
    server.threadId = GetCurrentThreadId();
    SetCallLogPath(server.settings.callLog);
    LogLine(L"start");
    if (server.settings.failStart)
        return 1;
    // An Excel stuck before it is ready: the client's CoCreateInstance waits.
    if (server.settings.neverRegister)
        Sleep(INFINITE);

    CLSID clsid;
    if (FAILED(CLSIDFromString(standin::kClsid, &clsid)))
        return 1;
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    const HRESULT hr = Serve(clsid, server.settings.rejectCalls);
    CoUninitialize();
    if (FAILED(hr))
        return 1;
    LogLine(L"exit");
    return 0;
}

int SetInstalled(const std::wstring& path, const std::wstring& state)
{
    if (state != L"0" && state != L"1")
        return Usage();
    return SaveInstalled(path, state == L"1") == ERROR_SUCCESS ? 0 : 1;
}

int ShowInstalled(const std::wstring& path)
{
    WriteLine(STD_OUTPUT_HANDLE,
              path + (LoadInstalled(path) ? L": installed" : L": not installed"));
    return 0;
}

// Whole seconds in plain digits: no sign, no spaces, nothing after.
bool ParseSeconds(const std::wstring& text, DWORD& seconds)
{
    if (text.empty())
        return false;
    DWORD value = 0;
    for (const wchar_t digit : text) {
        if (digit < L'0' || digit > L'9')
            return false;
        value = value * 10 + static_cast<DWORD>(digit - L'0');
        if (value > kMaxPretendSeconds)
            return false;
    }
    seconds = value;
    return true;
}

int PretendRunningFor(const std::wstring& text)
{
    DWORD seconds = 0;
    return ParseSeconds(text, seconds) ? PretendRunning(seconds) : Usage();
}

int Run(const std::vector<std::wstring>& args)
{
    const size_t count = args.size();
    const std::wstring command = count ? args[0] : L"";
    if (count == 1 && (SameText(command, L"-Embedding") || SameText(command, L"/Embedding")))
        return RunServer();
    if (count == 1 && SameText(command, L"/regserver"))
        return RegisterServer() ? 0 : 1;
    if (count == 1 && SameText(command, L"/unregserver"))
        return UnregisterServer() ? 0 : 1;
    if (count == 3 && SameText(command, L"/set-installed"))
        return SetInstalled(args[1], args[2]);
    if (count == 2 && SameText(command, L"/show-installed"))
        return ShowInstalled(args[1]);
    if (count == 2 && SameText(command, L"/pretend-running"))
        return PretendRunningFor(args[1]);
    return Usage();
}

}  // namespace

int main()
{
    // main's argv is in the ANSI code page; paths outside it would be mangled.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 1;
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    LocalFree(argv);
    return Run(args);
}
