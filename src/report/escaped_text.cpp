#include "report/escaped_text.h"

namespace {

bool IsControl(wchar_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Characters that viewers take as a line end, or that reorder or hide the
// text around them.
bool IsLayoutFormat(wchar_t c)
{
    return c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::wstring Hex(unsigned value, int digits)
{
    constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text(static_cast<size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}

}  // namespace

std::wstring EscapeControls(const std::wstring& text)
{
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\r') {
            escaped += L"\\r";
        } else if (c == L'\n') {
            escaped += L"\\n";
        } else if (c == L'\t') {
            escaped += L"\\t";
        } else if (IsControl(c)) {
            escaped += L"\\x" + Hex(static_cast<unsigned>(c), 2);
        } else if (IsLayoutFormat(c)) {
            escaped += L"\\u" + Hex(static_cast<unsigned>(c), 4);
        } else {
            escaped += c;
        }
    }
    return escaped;
}
