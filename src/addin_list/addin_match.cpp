#include "addin_list/addin_match.h"

#include "addin_list/drive_type.h"
#include "addin_list/open_value.h"
#include "report/text.h"

#include <windows.h>

#include <utility>

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

AddInPath NamesOfPath(const std::wstring& fullPath, const NameLookup& lookUp)
{
    AddInPath path;
    const PathParts parts = PartsOf(fullPath);
    path.root = parts.root;
    path.full = parts.names.empty() ? fullPath : path.root;
    bool lookingUp = !fullPath.empty() && DriveTypeOf(fullPath) == DRIVE_FIXED;
    std::wstring onTheWay = path.root;
    for (const std::wstring& name : parts.names) {
        onTheWay += L"\\" + name;
        std::optional<NameForms> forms = lookingUp ? lookUp(onTheWay) : std::nullopt;
        // Below a name that can't be found, nothing can be.
        lookingUp = forms.has_value();
        if (!forms) {
            forms = NameForms{name, L""};
        }
        // As given, unless given by its short name.
        path.full += L"\\" + (SameText(name, forms->longName) ? name : forms->longName);
        path.names.push_back(std::move(*forms));
    }
    return path;
}

AddInMatcher::AddInMatcher(const std::wstring& addInPath, const PathBase& base,
                           const MatchRules& rules, NameLookup lookUp)
    : AddInMatcher(NamesOfPath(::FullPath(addInPath, base), lookUp), base, rules, lookUp)
{}

AddInMatcher::AddInMatcher(AddInPath path, const PathBase& base, const MatchRules& rules,
                           NameLookup lookUp)
    : m_base(base), m_rules(rules), m_lookUp(std::move(lookUp)), m_path(std::move(path))
{}

std::vector<AddInMatcher> MatchersFor(const std::vector<AddInPath>& addIns, const PathBase& base,
                                      const MatchRules& rules)
{
    std::vector<AddInMatcher> matchers;
    for (const AddInPath& addIn : addIns) {
        matchers.emplace_back(addIn, base, rules);
    }
    return matchers;
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
    return !m_base.addInsFolder.empty() && !m_path.names.empty() &&
           SamePlace(::FullPath(m_base.addInsFolder, m_base), m_path.names.size() - 1);
}

bool AddInMatcher::SamePlace(const std::wstring& fullPath, size_t count) const
{
    const PathParts parts = PartsOf(fullPath);
    if (parts.names.size() != count || !SameText(parts.root, m_path.root)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (!GoesBy(parts.names[i], m_path.names[i])) {
            return false;
        }
    }
    return true;
}

bool AddInMatcher::SameFile(const std::wstring& fullPath) const
{
    return !m_path.names.empty() &&
           (SamePlace(fullPath, m_path.names.size()) || (m_rules.anyFolder && SameName(fullPath)));
}

bool AddInMatcher::SameName(const std::wstring& fullPath) const
{
    const PathParts parts = PartsOf(fullPath);
    if (parts.names.empty()) {
        return false;
    }
    const std::wstring& longName = m_path.names.back().longName;
    if (SameText(parts.names.back(), longName)) {
        return true;
    }
    if (!m_rules.lookUpUsersNames || parts.names.back().find(L'~') == std::wstring::npos ||
        DriveTypeOf(fullPath) != DRIVE_FIXED) {
        return false;
    }
    const std::optional<NameForms> forms = m_lookUp(fullPath);
    return forms && SameText(forms->longName, longName);
}

std::wstring AddInMatcher::DialogPathOf(const StoredValue& openValue) const
{
    const std::wstring path = ::FullPath(ParseOpenValue(StoredText(openValue)).file, m_base);
    return SamePlace(path, m_path.names.size()) ? m_path.full : path;
}

bool AddInMatcher::Lists(const std::wstring& name, const std::wstring& dialogPath) const
{
    const std::wstring path = ::FullPath(name, m_base);
    return dialogPath == m_path.full ? SamePlace(path, m_path.names.size())
                                     : SameText(path, dialogPath);
}

bool AddInMatcher::ListedWithoutEntry(const std::wstring& dialogPath) const
{
    if (dialogPath == m_path.full) {
        return InAddInsFolder();
    }
    return !m_base.addInsFolder.empty() &&
           SameText(ParentFolder(dialogPath), ::FullPath(m_base.addInsFolder, m_base));
}
