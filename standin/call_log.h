#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// An empty path turns logging off.
void SetCallLogPath(const std::wstring& path);

// Each line is appended and the file closed at once, so the lines written
// before the process is killed are still there.
void LogLine(const std::wstring& line);

std::wstring LcidText(LCID lcid);
std::wstring InvokeLine(const std::wstring& target, WORD flags, LCID lcid,
                        const DISPPARAMS& params);
