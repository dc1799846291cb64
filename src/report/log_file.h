// The optional log of a run (/log): one timestamped UTF-8 line per event,
// appended, so that the runs of an unattended deployment add up in one file.
#pragma once

#include <string>

// Opens (creating it if missing) the file at path, ANSI code page, for
// appending. On failure, error says why, naming the file.
bool OpenLog(const std::string& path, std::string& error);

// Appends "<local ISO-8601 time> <text>" as one line; nothing without a log.
// Safe from any thread.
void LogEvent(const std::string& text);

// The local time as ISO-8601 with milliseconds and the offset from UTC,
// e.g. "2026-12-08T14:05:01.123+01:00".
std::string LocalTimestamp();
