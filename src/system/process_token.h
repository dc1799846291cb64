// Who a process runs as and where, as its token and its session tell.
#pragma once

#include <windows.h>

#include <string>

// The text form of sid, "S-1-5-21-..."; empty if it has none.
std::wstring SidText(PSID sid);

// The SID of the user a process runs as; empty when it can't be told.
std::wstring ProcessUserSid(HANDLE process);
std::wstring CurrentUserSid();

// The session a process runs in, as its token says (which needs no more
// access to the process than its user does); false when it can't be told.
bool ProcessSession(HANDLE process, DWORD& session);

// Whether this process's token holds the Administrators group enabled: an
// elevated administrator's, or SYSTEM's. Not a filtered administrator's, in
// which the group is for deny only.
bool RunsAsAdministrator();
