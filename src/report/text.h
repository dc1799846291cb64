// Conversions between the program's ANSI text and what Windows and files
// want.
#pragma once

#include <windows.h>

#include <string>

// From the ANSI code page; empty when the text can't be converted.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::wstring& text);
std::string Utf8FromWide(const std::wstring& text);
// text with each line break turned into a blank, for one-line reports.
std::string OneLine(std::string text);
// What a Windows error code means, in the ANSI code page, on one line.
std::string SystemMessage(DWORD error);
