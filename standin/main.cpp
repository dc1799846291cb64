// excel-standin: a local automation server that answers as "Excel.Application"
// so the uninstaller can be tested where Excel is not installed.

#include "addin_keys.h"
#include "automation_server.h"
#include "main_window.h"
#include "pretend_running.h"
#include "registration.h"
#include "text.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>
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
              L"usage: excel-standin /regserver | /regserver32 | /unregserver"
              L" | /set-installed <path> <0|1> | /show-installed <path>"
              L" | /pretend-running <seconds> | /pretend-hidden <seconds> | -Embedding");
    return 2;
}

// Changes the list as an Excel started and quit meanwhile would have: the
// add-in is the last installed one, or listed but not installed, and the
// list is written back dense.
int SetInstalled(const std::wstring& path, const std::wstring& state)
{
    if (path.empty() || (state != L"0" && state != L"1"))
        return Usage();
    AddInList list = ReadAddInList();
    list.SetInstalled(list.Find(path), state == L"1");
    return WriteAddInList(list) == ERROR_SUCCESS ? 0 : 1;
}

int ShowInstalled(const std::wstring& path)
{
    const AddInList list = ReadAddInList();
    const std::optional<size_t> place = list.PlaceOf(path);
    const bool installed = place && list.At(*place).installed;
    WriteLine(STD_OUTPUT_HANDLE, path + (installed ? L": installed" : L": not installed"));
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
        if (value > kMaxWindowSeconds)
            return false;
    }
    seconds = value;
    return true;
}

int PretendFor(const std::wstring& text, int (*pretend)(DWORD seconds))
{
    DWORD seconds = 0;
    return ParseSeconds(text, seconds) ? pretend(seconds) : Usage();
}

int Run(const std::vector<std::wstring>& args)
{
    const size_t count = args.size();
    const std::wstring command = count ? args[0] : L"";
    if (count == 1 && (SameText(command, L"-Embedding") || SameText(command, L"/Embedding")))
        return RunServer();
    if (count == 1 && SameText(command, L"/regserver"))
        return RegisterServer(ClassView::Native) ? 0 : 1;
    if (count == 1 && SameText(command, L"/regserver32"))
        return RegisterServer(ClassView::Only32Bit) ? 0 : 1;
    if (count == 1 && SameText(command, L"/unregserver"))
        return UnregisterServer() ? 0 : 1;
    if (count == 3 && SameText(command, L"/set-installed"))
        return SetInstalled(args[1], args[2]);
    if (count == 2 && SameText(command, L"/show-installed"))
        return ShowInstalled(args[1]);
    if (count == 2 && SameText(command, L"/pretend-running"))
        return PretendFor(args[1], PretendRunning);
    if (count == 2 && SameText(command, L"/pretend-hidden"))
        return PretendFor(args[1], PretendHidden);
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
