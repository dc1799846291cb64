// Owns the EXCEPINFO a server fills in when a call fails with
// DISP_E_EXCEPTION, and frees its strings.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

class ExceptionInfo {
public:
    ExceptionInfo() = default;
    ~ExceptionInfo() { Clear(); }

    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;

    // An empty record for the next attempt of a call; whatever an earlier
    // attempt left in it is freed.
    EXCEPINFO* Fresh();

    // "<source>: <description>", or whichever of the two the server gave, in
    // the ANSI code page; empty when it described nothing.
    std::string Describe();

private:
    void Clear();

    EXCEPINFO m_info = {};
};
