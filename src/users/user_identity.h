// Who a user is, as reports name them: "<account> (<SID>)".
#pragma once

#include "system/process_token.h"

#include <string>

// The account's name as Windows knows it (without its domain), or
// fallbackName (say, the profile folder's name) for an account it can't
// look up, such as one deleted or one of a domain out of reach.
std::wstring AccountName(const std::wstring& sidText, const std::wstring& fallbackName);

// "<account> (<SID>)", for a name from AccountName.
std::string LabelOf(const std::wstring& accountName, const std::wstring& sidText);

// LabelOf(AccountName(sidText, fallbackName), sidText).
std::string UserLabel(const std::wstring& sidText, const std::wstring& fallbackName);
