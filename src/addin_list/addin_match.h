// Whether a value of Excel's list names the add-in being uninstalled, with
// paths compared as Windows compares them: whole, resolved, without regard
// to case, each folder on the way and the file by its long name or by its
// short (8.3) one.
//
// A user's values are never looked up. As SYSTEM, asking the file system
// about a path of a user's choosing can make the machine connect to a
// server of that user's choosing: a symbolic link in any folder on the way
// (any user may make one in Developer Mode) may lead from a local disk to a
// share. Only the administrator's own add-in path is looked up, once, for
// the names each part of it goes by, and a user's value is compared with
// those, folder by folder.
#pragma once

#include "addin_list/open_list.h"
#include "addin_list/path_rules.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The names a file or folder goes by.
struct NameForms {
    std::wstring longName;
    std::wstring shortName;  // empty where the file system made none
};

// The names of the existing file or folder a full path ends in; nothing
// when it can't be told. It asks the file system.
using NameLookup = std::function<std::optional<NameForms>(const std::wstring& fullPath)>;

// FindFirstFileW.
std::optional<NameForms> LookUpNames(const std::wstring& fullPath);

// The administrator's add-in path and the names each part of it goes by,
// looked up once for a run, whatever number of users it covers.
struct AddInPath {
    std::wstring root;             // "C:", "\\server\share"
    std::vector<NameForms> names;  // each folder on the way, then the file
    std::wstring full;             // as given, any short name on the way made long
};

// fullPath's names, looked up (lookUp) only on a local fixed disk: a share
// that doesn't answer would hold the run up.
AddInPath NamesOfPath(const std::wstring& fullPath, const NameLookup& lookUp = LookUpNames);

// How far a match goes.
struct MatchRules {
    // By the add-in's path, or (/anyfolder) by its file name in any folder:
    // the whole name, without regard to case, so "Contoso.xlam" is never
    // "ContosoTools.xlam".
    bool anyFolder = false;
    // Whether a short name in the user's values may be looked up, to tell
    // whose short name it is: only in the run's own user's values, and only
    // on a local fixed disk. Elsewhere a short name in another folder can't
    // be told from another file's ("CONTOS~1.XLA" may be "ContosoTools.xlam")
    // and is no copy.
    bool lookUpUsersNames = false;
};

class AddInMatcher {
public:
    // addInPath as the administrator gave it; base says where the user's
    // add-ins folder and the current folder are. lookUp is asked about
    // addInPath and the folders on its way, and only on a local fixed disk:
    // a share that doesn't answer would hold the run up; and about a user's
    // values only as rules allow.
    AddInMatcher(const std::wstring& addInPath, const PathBase& base, const MatchRules& rules = {},
                 NameLookup lookUp = LookUpNames);
    // The same for a path whose names are looked up already.
    AddInMatcher(AddInPath path, const PathBase& base, const MatchRules& rules = {},
                 NameLookup lookUp = LookUpNames);

    // An OPEN value's data names the add-in. Automation add-ins never do.
    bool NamedBy(const StoredValue& openValue) const;
    // An Add-in Manager value's name (a full path) is the add-in.
    bool IsPath(const std::wstring& path) const;
    // The add-in's full path, as an Add-in Manager value names it: as given,
    // with any short name on the way made long.
    const std::wstring& FullPath() const { return m_path.full; }
    // Excel lists the add-ins of the user's add-ins folder by themselves,
    // without an Add-in Manager value.
    bool InAddInsFolder() const;

    // Where the Add-ins dialog lists the file an OPEN value that names the
    // add-in names: the add-in's own full path, or a copy's.
    std::wstring DialogPathOf(const StoredValue& openValue) const;
    // Whether an Add-in Manager value's name lists that path (as
    // DialogPathOf gives it), and whether Excel lists it without one.
    bool Lists(const std::wstring& name, const std::wstring& dialogPath) const;
    bool ListedWithoutEntry(const std::wstring& dialogPath) const;

private:
    // The first count names of the add-in's path, under the same root.
    bool SamePlace(const std::wstring& fullPath, size_t count) const;
    bool SameFile(const std::wstring& fullPath) const;
    // A copy elsewhere: the file's own name, or a short name that the run
    // may look up.
    bool SameName(const std::wstring& fullPath) const;

    PathBase m_base;
    MatchRules m_rules;
    NameLookup m_lookUp;
    AddInPath m_path;
};

// One matcher for each add-in, for one user whose paths are base.
std::vector<AddInMatcher> MatchersFor(const std::vector<AddInPath>& addIns, const PathBase& base,
                                      const MatchRules& rules);

// Ordinal comparison without regard to case, as Windows compares names.
bool SameText(const std::wstring& a, const std::wstring& b);

// A user's paths: their add-ins folder, and the current folder.
PathBase UserPaths(const std::wstring& addInsFolder);

// This user's: %APPDATA%\Microsoft\AddIns.
PathBase CurrentUserPaths();
