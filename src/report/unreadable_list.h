// A user's Excel lists that could not be read, as the runs that only read
// them tell it.
#pragma once

#include <string>

// Reports "<prefix>Excel's add-in list could not be read (<why>)"; and with
// json, writes for tools an object of the user's fields and "error".
void TellUnreadableList(const std::string& prefix, const std::wstring& name,
                        const std::wstring& sid, const std::string& why, bool json);
