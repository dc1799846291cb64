// Wide test data shown in GoogleTest's messages.
#pragma once

#include <string>

// The text with each character cut to a byte: enough to tell the ASCII
// cases of a table apart.
inline std::string Shown(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}
