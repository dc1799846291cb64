#include "addin_list/addin_match.h"

#include "addin_list/drive_type.h"
#include "addin_list/open_value.h"
#include "report/text.h"

#include <windows.h>

namespace {

std::wstring EnvironmentVariable(const wchar_t* name)
{
    return TextFilledBy(
        [&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(name, buffer, size); });
}

std::wstring CurrentFolder()
{
    return TextFilledBy(
        [](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

bool GoesBy(const std::wstring& name, const NameForms& forms)
{
    return SameText(name, forms.longName) ||
           (!forms.shortName.empty() && SameText(name, forms.shortName));
}

}  // namespace

std::optional<NameForms> LookUpNames(const std::wstring& fullPath)
{
    // A wildcard would find some other file.
    if (fullPath.find_first_of(L"*?") != std::wstring::npos) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW(fullPath.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FindClose(search);
    return NameForms{found.cFileName, found.cAlternateFileName};
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

PathBase UserPaths(const std::wstring& addInsFolder)
{
    return {addInsFolder, CurrentFolder()};
}

PathBase CurrentUserPaths()
{
    const std::wstring appData = EnvironmentVariable(L"APPDATA");
    return UserPaths(appData.empty() ? std::wstring() : appData + L"\\Microsoft\\AddIns");
}

AddInMatcher::AddInMatcher(const std::wstring& addInPath, const PathBase& base,
                           const NameLookup& lookUp)
    : m_base(base)
{
    const std::wstring full = ::FullPath(addInPath, base);
    const PathParts parts = PartsOf(full);
    m_root = parts.root;
    m_full = parts.names.empty() ? full : m_root;
    bool lookingUp = !full.empty() && DriveTypeOf(full) == DRIVE_FIXED;
    std::wstring onTheWay = m_root;
    for (const std::wstring& name : parts.names) {
        onTheWay += L"\\" + name;
        std::optional<NameForms> forms = lookingUp ? lookUp(onTheWay) : std::nullopt;
        // Below a name that can't be found, nothing can be.
        lookingUp = forms.has_value();
        if (!forms) {
            forms = NameForms{name, L""};
        }
        // As given, unless given by its short name.
        m_full += L"\\" + (SameText(name, forms->longName) ? name : forms->longName);
        m_names.push_back(std::move(*forms));
    }
}

bool AddInMatcher::NamedBy(const StoredValue& openValue) const
{
    const OpenValue value = ParseOpenValue(StoredText(openValue));
    return !value.automation && !value.file.empty() && SameFile(::FullPath(value.file, m_base));
}

bool AddInMatcher::IsPath(const std::wstring& path) const
{
    return !path.empty() && SameFile(::FullPath(path, m_base));
}

bool AddInMatcher::InAddInsFolder() const
{
    return !m_base.addInsFolder.empty() && !m_names.empty() &&
           SamePlace(::FullPath(m_base.addInsFolder, m_base), m_names.size() - 1);
}

bool AddInMatcher::SamePlace(const std::wstring& fullPath, size_t count) const
{
    const PathParts parts = PartsOf(fullPath);
    if (parts.names.size() != count || !SameText(parts.root, m_root)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (!GoesBy(parts.names[i], m_names[i])) {
            return false;
        }
    }
    return true;
}

bool AddInMatcher::SameFile(const std::wstring& fullPath) const
{
    return !m_names.empty() && SamePlace(fullPath, m_names.size());
}
