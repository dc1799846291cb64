// Who a user is, as reports name them: "<account> (<SID>)".
#pragma once

#include "system/process_token.h"

#include <string>

// "<account> (<SID>)": the account's name as Windows knows it, or
// fallbackName (say, the profile folder's name) for an account it can't
// look up, such as one deleted or one of a domain out of reach.
std::string UserLabel(const std::wstring& sidText, const std::wstring& fallbackName);
