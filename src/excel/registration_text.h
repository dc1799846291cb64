// What Excel's COM registration says, read from its text. Pure: no I/O, no
// Windows.
#pragma once

#include <optional>
#include <string>

// The version key for a version-specific ProgID, "Excel.Application.16" →
// "16.0"; nothing for anything else.
std::optional<std::wstring> VersionOfProgId(const std::wstring& progId);

// The program an OLE server's LocalServer32 command line starts: the part
// in quotes, or up to the first ".exe" followed by a blank or the end.
std::wstring ExecutableOfCommandLine(const std::wstring& commandLine);
