#include "addin_list/excel_lists.h"

#include "addin_list/registry_key.h"
#include "report/text.h"

#include <algorithm>

namespace {

constexpr wchar_t kOfficeKey[] = L"Software\\Microsoft\\Office";

// "16.0", "12.0": the version keys; Office keeps others beside them
// ("Common", "Excel", "ClickToRun"...).
bool IsVersionName(const std::wstring& name)
{
    const size_t dot = name.find(L'.');
    if (dot == 0 || dot == std::wstring::npos || dot + 1 == name.size()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        if (i != dot && (name[i] < L'0' || name[i] > L'9')) {
            return false;
        }
    }
    return true;
}

double VersionNumber(const std::wstring& version)
{
    return std::wcstod(version.c_str(), nullptr);
}

// Opens the key name right below parent; path is where it is below the
// user's root, for reports. An absent key leaves key empty and is no error;
// anything else that stops the read is. A key that may be read but not
// changed is opened for reading: only a change that needs it fails.
ListError OpenKey(HKEY parent, const std::wstring& name, const std::wstring& path, REGSAM access,
                  KeyLinks links, RegistryKey& key)
{
    LSTATUS status = key.OpenChild(parent, name, access, links);
    if (status == ERROR_ACCESS_DENIED && access != KEY_READ) {
        status = key.OpenChild(parent, name, KEY_READ, links);
    }
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    return {status, path};
}

// Software\Microsoft\Office, one key at a time. Empty when it is absent.
ListError OpenOfficeKey(HKEY userRoot, KeyLinks links, RegistryKey& office)
{
    std::wstring failedAt;
    const LSTATUS status = OpenKeyPath(userRoot, kOfficeKey, KEY_READ, links, office, failedAt);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    return {status, failedAt};
}

// One version's list, through keys opened one below the other and kept in
// the list; a version without an Excel key leaves list.excelKey empty.
ListError ReadList(HKEY office, const std::wstring& version, KeyLinks links, ListAccess access,
                   ExcelList& list)
{
    list = ExcelList{};
    list.version = version;
    const bool change = access == ListAccess::Change;
    RegistryKey versionKey;
    if (ListError error = OpenKey(office, version, std::wstring(kOfficeKey) + L"\\" + version,
                                  KEY_READ, links, versionKey)) {
        return error;
    }
    if (versionKey.Get() == nullptr) {
        return {};
    }
    // An absent Add-in Manager key is made below Excel's when a change needs it.
    if (ListError error =
            OpenKey(versionKey.Get(), L"Excel", ExcelKeyPath(version),
                    change ? KEY_READ | KEY_CREATE_SUB_KEY : KEY_READ, links, list.excelKey)) {
        return error;
    }
    if (list.excelKey.Get() == nullptr) {
        return {};
    }
    const REGSAM valueAccess = change ? KEY_READ | KEY_SET_VALUE : KEY_READ;
    if (ListError error = OpenKey(list.excelKey.Get(), L"Options", OptionsKeyPath(version),
                                  valueAccess, links, list.optionsKey)) {
        return error;
    }
    if (list.optionsKey.Get() != nullptr) {
        const LSTATUS status = list.optionsKey.ReadValues(list.options);
        if (status != ERROR_SUCCESS) {
            return {status, OptionsKeyPath(version)};
        }
    }
    if (ListError error =
            OpenKey(list.excelKey.Get(), L"Add-in Manager", AddInManagerKeyPath(version),
                    valueAccess, links, list.addInManagerKey)) {
        return error;
    }
    if (list.addInManagerKey.Get() != nullptr) {
        std::vector<StoredValue> values;
        const LSTATUS status = list.addInManagerKey.ReadValues(values);
        if (status != ERROR_SUCCESS) {
            return {status, AddInManagerKeyPath(version)};
        }
        for (const StoredValue& value : values) {
            list.addInManager.push_back(value.name);
        }
    }
    return {};
}

}  // namespace

std::wstring ExcelKeyPath(const std::wstring& version)
{
    return std::wstring(kOfficeKey) + L"\\" + version + L"\\Excel";
}

std::wstring OptionsKeyPath(const std::wstring& version)
{
    return ExcelKeyPath(version) + L"\\Options";
}

std::wstring AddInManagerKeyPath(const std::wstring& version)
{
    return ExcelKeyPath(version) + L"\\Add-in Manager";
}

ListError ReadExcelList(HKEY userRoot, const std::wstring& version, ExcelList& list)
{
    list = ExcelList{};
    list.version = version;
    RegistryKey office;
    ListError error = OpenOfficeKey(userRoot, KeyLinks::Follow, office);
    if (!error && office.Get() != nullptr) {
        error = ReadList(office.Get(), version, KeyLinks::Follow, ListAccess::Read, list);
    }
    return error;
}

ListError ReadExcelLists(HKEY userRoot, std::vector<ExcelList>& lists, KeyLinks links,
                         ListAccess access)
{
    lists.clear();
    RegistryKey office;
    if (ListError error = OpenOfficeKey(userRoot, links, office)) {
        return error;
    }
    if (office.Get() == nullptr) {
        return {};
    }
    std::vector<std::wstring> names;
    const LSTATUS status = office.ReadSubkeyNames(names);
    if (status != ERROR_SUCCESS) {
        return {status, kOfficeKey};
    }
    std::vector<std::wstring> versions;
    for (const std::wstring& name : names) {
        if (IsVersionName(name)) {
            versions.push_back(name);
        }
    }
    std::sort(versions.begin(), versions.end(), [](const std::wstring& a, const std::wstring& b) {
        return VersionNumber(a) > VersionNumber(b);
    });
    for (const std::wstring& version : versions) {
        ExcelList list;
        if (ListError error = ReadList(office.Get(), version, links, access, list)) {
            lists.clear();
            return error;
        }
        if (list.excelKey.Get() != nullptr) {
            lists.push_back(std::move(list));
        }
    }
    return {};
}

std::string ExcelName(const std::wstring& version)
{
    return "Excel " + AnsiFromWide(version);
}

std::string Describe(const ListError& error, const std::string& rootName)
{
    if (error.status == kKeyIsLink) {
        return rootName + "\\" + AnsiFromWide(error.keyPath) +
               " is a registry link; it was not followed";
    }
    return rootName + "\\" + AnsiFromWide(error.keyPath) + ": " +
           SystemMessage(static_cast<DWORD>(error.status));
}
