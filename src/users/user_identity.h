// Who a user is, as reports name them: "<account> (<SID>)".
#pragma once

#include <windows.h>

#include <string>

// The text form of sid, "S-1-5-21-..."; empty if it has none.
std::wstring SidText(PSID sid);

// The account's name as Windows knows it (without its domain), or
// fallbackName (say, the profile folder's name) for an account it can't
// look up, such as one deleted or one of a domain out of reach.
std::wstring AccountName(const std::wstring& sidText, const std::wstring& fallbackName);

// "<account> (<SID>)", for a name from AccountName.
std::string LabelOf(const std::wstring& accountName, const std::wstring& sidText);

// LabelOf(AccountName(sidText, fallbackName), sidText).
std::string UserLabel(const std::wstring& sidText, const std::wstring& fallbackName);

// The SID of the user a process runs as; empty when it can't be told.
std::wstring ProcessUserSid(HANDLE process);
std::wstring CurrentUserSid();
