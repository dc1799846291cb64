// Every entry of one Excel version's lists, as an inventory shows them: the
// installed add-ins (the OPEN values), then those the Add-ins dialog lists
// unticked (the Add-in Manager's values). Pure: no I/O, no Windows.
#pragma once

#include "addin_list/open_list.h"
#include "addin_list/path_rules.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr wchar_t kAddInManagerPlace[] = L"Add-in Manager";

struct ListedAddIn {
    std::wstring where;  // "OPEN2", or kAddInManagerPlace
    std::wstring value;  // the data as stored; for the Add-in Manager, the value's name
    bool installed = false;
    // The full path it names, a bare name taken to be in the user's add-ins
    // folder; empty for an automation add-in ("/A <ProgID>"), which is no
    // file, and for a value that names nothing.
    std::wstring path;
};

// options are all the values of the version's Options key, in any order;
// addInManager the names of its Add-in Manager's values, as stored.
std::vector<ListedAddIn> ListedAddIns(const std::vector<StoredValue>& options,
                                      const std::vector<std::wstring>& addInManager,
                                      const PathBase& base);

// What a look at the file an entry names found. Only the run's own user's
// files on a local fixed disk are looked at: a path in another user's data
// is that user's to choose, and a look at it as SYSTEM could reach a server
// of their choosing.
enum class FileLook { Found, Gone, NotLookedAt };

// "found", "gone", "not looked at", as the output names them.
const wchar_t* FileLookName(FileLook look);

// Whether the entry names an XLL, the only kind of add-in whose bitness
// decides whether it loads.
bool NamesXll(const ListedAddIn& entry);

// An entry as an inventory line tells it, after "<user>: ":
// Excel 16.0: installed (OPEN2): "/R C:\Add-ins\calc.xll" is C:\Add-ins\calc.xll: found, a 64-bit
// XLL, which 32-bit Excel can't load xllBits is the XLL's, where its image was read; excelBits the
// registered Excel's, where it is known.
std::wstring InventoryLine(const std::wstring& version, const ListedAddIn& entry, FileLook look,
                           std::optional<int> xllBits, std::optional<int> excelBits);
