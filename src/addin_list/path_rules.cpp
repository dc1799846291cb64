#include "addin_list/path_rules.h"

namespace {

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool HasDrive(const std::wstring& path)
{
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == L':';
}

std::wstring WithBackslashes(std::wstring path)
{
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

// "\\?\C:\x" is "C:\x", and "\\?\UNC\server\share" is "\\server\share".
std::wstring WithoutVerbatimPrefix(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        return L"\\\\" + path.substr(8);
    }
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        return path.substr(4);
    }
    return path;
}

struct SplitPath {
    std::wstring root;  // "C:" or "\\server\share"; empty when relative
    std::wstring rest;  // what follows the root
};

SplitPath Split(const std::wstring& path)
{
    if (path.compare(0, 2, L"\\\\") == 0) {
        // \\server\share: the root takes two segments.
        const size_t server = path.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        if (share == std::wstring::npos) {
            return {path, L""};
        }
        return {path.substr(0, share), path.substr(share)};
    }
    if (HasDrive(path)) {
        return {path.substr(0, 2), path.substr(2)};
    }
    return {L"", path};
}

// The folder path stands against: the root's own for "\x", the current
// folder of that drive for "C:x" (or its root, on another drive), the
// current folder for anything else relative.
std::wstring Anchored(const std::wstring& path, const PathBase& base)
{
    const SplitPath current = Split(WithoutVerbatimPrefix(WithBackslashes(base.currentFolder)));
    if (!path.empty() && path[0] == L'\\') {
        return current.root + path;
    }
    if (HasDrive(path)) {
        const bool sameDrive =
            current.root.size() == 2 && (current.root[0] | 0x20) == (path[0] | 0x20);
        return (sameDrive ? base.currentFolder : path.substr(0, 2)) + L"\\" + path.substr(2);
    }
    if (IsBareFileName(path)) {
        return base.addInsFolder + L"\\" + path;
    }
    return base.currentFolder + L"\\" + path;
}

bool IsAbsolute(const std::wstring& path)
{
    return path.compare(0, 2, L"\\\\") == 0 ||
           (HasDrive(path) && path.size() > 2 && path[2] == L'\\');
}

std::vector<std::wstring> Segments(const std::wstring& rest)
{
    std::vector<std::wstring> segments;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = rest.size();
        }
        const std::wstring segment = rest.substr(start, end - start);
        if (segment == L"..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else if (!segment.empty() && segment != L".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    return segments;
}

std::wstring WithoutTrailingDotsAndBlanks(std::wstring segment)
{
    while (!segment.empty() && (segment.back() == L'.' || segment.back() == L' ')) {
        segment.pop_back();
    }
    return segment;
}

}  // namespace

bool IsBareFileName(const std::wstring& path)
{
    return !path.empty() && path.find_first_of(L"\\/:") == std::wstring::npos && path != L"." &&
           path != L"..";
}

std::wstring FullPath(const std::wstring& path, const PathBase& base)
{
    if (path.empty()) {
        return {};
    }
    std::wstring full = WithoutVerbatimPrefix(WithBackslashes(path));
    if (!IsAbsolute(full)) {
        full = WithoutVerbatimPrefix(WithBackslashes(Anchored(full, base)));
    }
    const SplitPath split = Split(full);
    std::vector<std::wstring> segments = Segments(split.rest);
    if (!segments.empty()) {
        segments.back() = WithoutTrailingDotsAndBlanks(segments.back());
        if (segments.back().empty()) {
            segments.pop_back();
        }
    }
    std::wstring result = split.root;
    for (const std::wstring& segment : segments) {
        result += L"\\" + segment;
    }
    // A drive's root keeps its backslash: "C:\".
    return segments.empty() && split.root.size() == 2 ? result + L"\\" : result;
}

PathParts PartsOf(const std::wstring& fullPath)
{
    const SplitPath split = Split(fullPath);
    return {split.root, Segments(split.rest)};
}

std::wstring ParentFolder(const std::wstring& fullPath)
{
    const size_t last = fullPath.rfind(L'\\');
    if (last == std::wstring::npos) {
        return {};
    }
    const std::wstring folder = fullPath.substr(0, last);
    return folder.size() == 2 && HasDrive(folder) ? folder + L"\\" : folder;
}

std::wstring DriveRoot(const std::wstring& fullPath)
{
    const std::wstring path = WithoutVerbatimPrefix(WithBackslashes(fullPath));
    return HasDrive(path) ? path.substr(0, 2) + L"\\" : std::wstring();
}

bool IsSharePath(const std::wstring& fullPath)
{
    const std::wstring path = WithoutVerbatimPrefix(WithBackslashes(fullPath));
    // "\\.\" names a device of this machine, not a server.
    return path.compare(0, 2, L"\\\\") == 0 && path.compare(0, 4, L"\\\\.\\") != 0;
}
