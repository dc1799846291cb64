#include "addin_list/open_value.h"

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

size_t SkipBlanks(const std::wstring& text, size_t at)
{
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

std::wstring TrimmedEnd(std::wstring text)
{
    while (!text.empty() && IsBlank(text.back())) {
        text.pop_back();
    }
    return text;
}

// "/X" on its own: a slash, one letter, then a blank, a quote, another flag
// or the end. "/addins/x.xlam" is a path, not a flag.
bool IsFlagAt(const std::wstring& text, size_t at)
{
    if (at + 1 >= text.size() || text[at] != L'/' || !IsAsciiLetter(text[at + 1])) {
        return false;
    }
    const size_t after = at + 2;
    return after == text.size() || IsBlank(text[after]) || text[after] == L'"' ||
           text[after] == L'/';
}

// A quoted part ends at its closing quote, or at the end if it has none.
std::wstring Unquoted(const std::wstring& text, size_t at)
{
    if (at < text.size() && text[at] == L'"') {
        const size_t close = text.find(L'"', at + 1);
        return text.substr(at + 1, close == std::wstring::npos ? close : close - at - 1);
    }
    return TrimmedEnd(text.substr(at));
}

}  // namespace

OpenValue ParseOpenValue(const std::wstring& data)
{
    OpenValue value;
    size_t at = SkipBlanks(data, 0);
    while (IsFlagAt(data, at)) {
        const std::wstring flag = data.substr(at, 2);
        at = SkipBlanks(data, at + 2);
        if (flag[1] == L'A' || flag[1] == L'a') {
            value.automation = true;
            value.progId = Unquoted(data, at);
            return value;
        }
        value.flags.push_back(flag);
    }
    value.file = Unquoted(data, at);
    return value;
}
