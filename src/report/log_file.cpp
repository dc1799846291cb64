#include "report/log_file.h"

#include "report/escaped_text.h"
#include "report/text.h"

#include <windows.h>

#include <cstdio>

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;
// The time-limit thread may write while the main thread does.
SRWLOCK logLock = SRWLOCK_INIT;

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

bool OpenLog(const std::string& path, std::string& error)
{
    const std::wstring widePath = WideFromAnsi(path);
    // Shared for writing: several runs may log to the same file at once, and
    // appends don't overwrite each other.
    logFile = CreateFileW(widePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile == INVALID_HANDLE_VALUE) {
        error = "Cannot open the log file \"" + path + "\": " + SystemMessage(GetLastError());
        return false;
    }
    return true;
}

std::string LocalTimestamp()
{
    FILETIME utc;
    GetSystemTimeAsFileTime(&utc);
    SYSTEMTIME utcParts;
    SYSTEMTIME local;
    FILETIME localTime;
    if (!FileTimeToSystemTime(&utc, &utcParts) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &local) ||
        !SystemTimeToFileTime(&local, &localTime)) {
        return "0000-00-00T00:00:00.000Z";
    }
    // The offset as it is at this instant, daylight saving included. The
    // local time lost the sub-millisecond part, so round to whole minutes.
    const long long difference =
        static_cast<long long>(Ticks(localTime)) - static_cast<long long>(Ticks(utc));
    constexpr long long kTicksPerMinute = 600000000LL;
    const long long offsetMinutes =
        (difference + (difference >= 0 ? 1 : -1) * kTicksPerMinute / 2) / kTicksPerMinute;
    const long long absoluteOffset = offsetMinutes >= 0 ? offsetMinutes : -offsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u%c%02lld:%02lld",
                  local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                  local.wMilliseconds, offsetMinutes < 0 ? '-' : '+', absoluteOffset / 60,
                  absoluteOffset % 60);
    return text;
}

void LogEvent(const std::string& text)
{
    if (logFile == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string line =
        Utf8FromWide(EscapeControls(WideFromAnsi(LocalTimestamp() + " " + text))) + "\r\n";
    AcquireSRWLockExclusive(&logLock);
    DWORD written = 0;
    WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ReleaseSRWLockExclusive(&logLock);
}
