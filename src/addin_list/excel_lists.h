// Excel's add-in lists as one user's registry holds them: for each Excel
// version, Software\Microsoft\Office\<version>\Excel, with the installed
// add-ins among the values of its Options key and the listed but unticked
// ones as the value names of its Add-in Manager key.
#pragma once

#include "addin_list/open_list.h"
#include "addin_list/registry_key.h"

#include <windows.h>

#include <string>
#include <vector>

struct ExcelList {
    std::wstring version;                    // "16.0"
    std::vector<StoredValue> options;        // every value of Options
    std::vector<std::wstring> addInManager;  // every value name of Add-in Manager

    // The keys the list was read through, left open: for a change, open for
    // writing too, so that the change goes through the very keys that were
    // read and not through keys opened anew by their path, which the user
    // could have swapped meanwhile. Empty where a key is absent.
    RegistryKey excelKey;
    RegistryKey optionsKey;
    RegistryKey addInManagerKey;
};

// What the lists are read for.
enum class ListAccess { Read, Change };

// Where one version's keys are, below a user's root key.
std::wstring ExcelKeyPath(const std::wstring& version);
std::wstring OptionsKeyPath(const std::wstring& version);
std::wstring AddInManagerKeyPath(const std::wstring& version);

// A failure to read, and where.
struct ListError {
    LSTATUS status = ERROR_SUCCESS;
    std::wstring keyPath;  // below the user's root

    explicit operator bool() const { return status != ERROR_SUCCESS; }
};

// Every Excel version that has a key under userRoot (HKEY_CURRENT_USER or a
// user's hive), newest first. A key that isn't there is
// an empty list, not an error. Each key on the way is opened by itself, as
// links says; with KeyLinks::Refuse a link is an error (kKeyIsLink).
ListError ReadExcelLists(HKEY userRoot, std::vector<ExcelList>& lists,
                         KeyLinks links = KeyLinks::Follow, ListAccess access = ListAccess::Read);
ListError ReadExcelList(HKEY userRoot, const std::wstring& version, ExcelList& list);

// "Excel 16.0", as reports name a version's list.
std::string ExcelName(const std::wstring& version);

// "<rootName>\<key>: <what went wrong>", for reports.
std::string Describe(const ListError& error, const std::string& rootName);
