// Conversions between the program's ANSI text and what Windows and files
// want.
#pragma once

#include <windows.h>

#include <string>

// From the ANSI code page; empty when the text can't be converted.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::wstring& text);
std::string Utf8FromWide(const std::wstring& text);
// text with each line break turned into a blank, for one-line reports of
// text that is not a user's (Windows' and Excel's own messages).
std::string OneLine(std::string text);
// text as it may stand in one line on standard output or error or in the
// log, with every control character escaped (EscapeControls): a value or
// a path can't start a line of its own there or hide what follows.
std::string EscapedLine(const std::string& text);
// What a Windows error code means, in the ANSI code page, on one line.
std::string SystemMessage(DWORD error);

// The text that fill(buffer, size) writes, for the Windows functions that,
// given a buffer too small, answer the size they need (null included) and
// otherwise the length they wrote (GetCurrentDirectoryW,
// GetEnvironmentVariableW, GetFullPathNameW, GetLongPathNameW). Empty when
// fill fails; GetLastError then says why (ERROR_INSUFFICIENT_BUFFER when the
// text grew between the two calls).
template <typename Fill>
std::wstring TextFilledBy(Fill fill)
{
    const DWORD size = fill(nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring text(size, L'\0');
    const DWORD length = fill(&text[0], size);
    if (length >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return {};
    }
    if (length == 0) {
        return {};
    }
    text.resize(length);
    return text;
}
