#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

std::string ToUtf8(const std::wstring& text);

// Ordinal comparison ignoring case, as automation names are matched.
bool SameText(const std::wstring& a, const std::wstring& b);

// A null BSTR is a valid empty string.
std::wstring FromBstr(BSTR text);
