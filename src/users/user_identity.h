// Who a user is, as reports name them: "<account> (<SID>)".
#pragma once

#include <windows.h>

#include <string>

// The text form of sid, "S-1-5-21-..."; empty if it has none.
std::wstring SidText(PSID sid);

// "<account> (<SID>)": the account's name as Windows knows it, or
// fallbackName (say, the profile folder's name) for an account it can't
// look up, such as one deleted or one of a domain out of reach.
std::string UserLabel(const std::wstring& sidText, const std::wstring& fallbackName);

// The SID of the user a process runs as; empty when it can't be told.
std::wstring ProcessUserSid(HANDLE process);
std::wstring CurrentUserSid();
