#include "open_value.h"

#include "text.h"

#include <cwctype>

namespace {

constexpr wchar_t kOpen[] = L"OPEN";
constexpr size_t kOpenLength = 4;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

size_t SkipBlanks(const std::wstring& text, size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at;
}

// A flag is a slash and one letter standing alone; "/addins/x.xla" is a path.
bool IsFlagAt(const std::wstring& text, size_t at)
{
    return at + 1 < text.size() && text[at] == L'/' && iswalpha(text[at + 1]) &&
           (at + 2 == text.size() || IsBlank(text[at + 2]));
}

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && SameText(text.substr(text.size() - end.size()), end);
}

}  // namespace

bool IsOpenValueName(const std::wstring& name)
{
    if (name.size() < kOpenLength || !SameText(name.substr(0, kOpenLength), kOpen))
        return false;
    for (size_t i = kOpenLength; i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    }
    return true;
}

std::wstring OpenValueName(size_t place)
{
    return place == 0 ? kOpen : kOpen + std::to_wstring(place);
}

std::wstring FileNamedBy(const std::wstring& text)
{
    size_t at = SkipBlanks(text, 0);
    for (; IsFlagAt(text, at); at = SkipBlanks(text, at + 2)) {
        if (towupper(text[at + 1]) == L'A')
            return {};
    }
    if (at < text.size() && text[at] == L'"') {
        const size_t close = text.find(L'"', at + 1);
        return text.substr(at + 1,
                           close == std::wstring::npos ? std::wstring::npos : close - at - 1);
    }
    size_t end = text.size();
    while (end > at && IsBlank(text[end - 1]))
        --end;
    return text.substr(at, end - at);
}

std::wstring OpenTextFor(const std::wstring& path)
{
    const bool blank = path.find(L' ') != std::wstring::npos;
    const std::wstring file = blank ? L"\"" + path + L"\"" : path;
    return EndsWith(path, L".xll") ? L"/R " + file : file;
}
