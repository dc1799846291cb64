// Whether a value of Excel's list names the add-in being uninstalled, with
// paths compared as Windows compares them: whole, resolved, without regard
// to case, short (8.3) names of existing files on a local fixed disk made
// long.
#pragma once

#include "addin_list/open_list.h"
#include "addin_list/path_rules.h"

#include <functional>
#include <string>

// The long form of an existing file's full path, or empty when it can't be
// told. It asks the file system.
using LongNameLookup = std::function<std::wstring(const std::wstring& fullPath)>;

// GetLongPathNameW.
std::wstring LookUpLongName(const std::wstring& fullPath);

class AddInMatcher {
public:
    // addInPath as the user gave it; base says where the user's add-ins
    // folder and the current folder are. lookUp makes short names long, and
    // is only ever asked about a path on a local fixed disk.
    AddInMatcher(const std::wstring& addInPath, const PathBase& base,
                 LongNameLookup lookUp = LookUpLongName);

    // An OPEN value's data names the add-in. Automation add-ins never do.
    bool NamedBy(const StoredValue& openValue) const;
    // An Add-in Manager value's name (a full path) is the add-in.
    bool IsPath(const std::wstring& path) const;
    // The add-in's full path, as an Add-in Manager value names it.
    const std::wstring& FullPath() const { return m_full; }
    // Excel lists the add-ins of the user's add-ins folder by themselves,
    // without an Add-in Manager value.
    bool InAddInsFolder() const;

private:
    bool SameFile(const std::wstring& fullPath) const;
    std::wstring LongForm(const std::wstring& fullPath) const;

    PathBase m_base;
    LongNameLookup m_lookUp;
    std::wstring m_full;
};

// Ordinal comparison without regard to case, as Windows compares names.
bool SameText(const std::wstring& a, const std::wstring& b);

// A user's paths: their add-ins folder, and the current folder.
PathBase UserPaths(const std::wstring& addInsFolder);

// This user's: %APPDATA%\Microsoft\AddIns.
PathBase CurrentUserPaths();
