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

}  // namespace

std::wstring LookUpLongName(const std::wstring& fullPath)
{
    return TextFilledBy([&](wchar_t* buffer, DWORD size) {
        return GetLongPathNameW(fullPath.c_str(), buffer, size);
    });
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
                           LongNameLookup lookUp)
    : m_base(base), m_lookUp(std::move(lookUp)), m_full(LongForm(::FullPath(addInPath, base)))
{}

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
    return !m_base.addInsFolder.empty() &&
           SameText(ParentFolder(m_full), ::FullPath(m_base.addInsFolder, m_base));
}

bool AddInMatcher::SameFile(const std::wstring& fullPath) const
{
    return !m_full.empty() && SameText(LongForm(fullPath), m_full);
}

// Installers and Excel itself may have stored the 8.3 form of a path. The
// paths come from the user's own values: looking one up on a share, or on a
// drive mapped to one, would make this process connect to a server of the
// user's choosing, with its own credentials (the machine's, as SYSTEM), and
// wait out that server's time-outs. Such a path is compared as written.
std::wstring AddInMatcher::LongForm(const std::wstring& fullPath) const
{
    if (fullPath.find(L'~') == std::wstring::npos || DriveTypeOf(fullPath) != DRIVE_FIXED) {
        return fullPath;
    }
    const std::wstring longPath = m_lookUp(fullPath);
    return longPath.empty() ? fullPath : longPath;
}
