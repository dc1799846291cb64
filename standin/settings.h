#pragma once

#include <windows.h>

#include <string>

// Test hooks, read once at server start. Member settings name "Object.Member".
struct Settings {
    std::wstring callLog;
    std::wstring failCall;
    HRESULT failHResult = E_FAIL;
    std::wstring missingMember;
    std::wstring noObject;
    std::wstring dieIn;
    bool failStart = false;
    DWORD rejectCalls = 0;
    DWORD retryLaterInvokes = 0;
    std::wstring hangIn;
    std::wstring openUsersExcelIn;
    bool neverRegister = false;
    bool keepInstalledOnExit = false;
};

Settings ReadSettings();

// True when an "Object.Member" setting names this member.
bool Targets(const std::wstring& setting, const std::wstring& objectName,
             const std::wstring& memberName);
