#include "report/console.h"

#include "report/text.h"

void WriteLine(DWORD standardHandle, const std::string& text)
{
    HANDLE handle = GetStdHandle(standardHandle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    // Windows line ends, also for the lines inside text.
    std::wstring line;
    for (wchar_t c : WideFromAnsi(text + "\n")) {
        if (c == L'\n') {
            line += L'\r';
        }
        line += c;
    }
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8FromWide(line);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteJsonLine(const std::string& object)
{
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string line = object + "\n";
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide(line.begin(), line.end());
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
