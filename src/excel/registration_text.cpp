#include "excel/registration_text.h"

namespace {

constexpr wchar_t kVersionedProgId[] = L"Excel.Application.";

wchar_t LowerAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsExeExtensionAt(const std::wstring& text, size_t at)
{
    const wchar_t extension[] = L".exe";
    if (text.size() < at + 4) {
        return false;
    }
    for (size_t i = 0; i < 4; ++i) {
        if (LowerAscii(text[at + i]) != extension[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::wstring> VersionOfProgId(const std::wstring& progId)
{
    const size_t prefix = sizeof kVersionedProgId / sizeof kVersionedProgId[0] - 1;
    if (progId.size() <= prefix || progId.compare(0, prefix, kVersionedProgId) != 0) {
        return std::nullopt;
    }
    const std::wstring number = progId.substr(prefix);
    if (number.size() > 4 || number[0] == L'0') {
        return std::nullopt;
    }
    for (wchar_t c : number) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
    }
    return number + L".0";
}

std::wstring ExecutableOfCommandLine(const std::wstring& commandLine)
{
    size_t start = commandLine.find_first_not_of(L" \t");
    if (start == std::wstring::npos) {
        return {};
    }
    if (commandLine[start] == L'"') {
        const size_t close = commandLine.find(L'"', start + 1);
        return commandLine.substr(start + 1,
                                  close == std::wstring::npos ? close : close - start - 1);
    }
    // Unquoted, as Office registers it: "C:\PROGRA~1\...\EXCEL.EXE /automation".
    for (size_t at = start; at != std::wstring::npos; ++at) {
        at = commandLine.find(L'.', at);
        if (at == std::wstring::npos) {
            break;
        }
        const size_t end = at + 4;
        if (IsExeExtensionAt(commandLine, at) &&
            (end >= commandLine.size() || commandLine[end] == L' ' || commandLine[end] == L'\t')) {
            return commandLine.substr(start, end - start);
        }
    }
    const size_t blank = commandLine.find_first_of(L" \t", start);
    return commandLine.substr(start, blank == std::wstring::npos ? blank : blank - start);
}
