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

// An absent key holds nothing; anything else that stops the read is an error.
ListError OpenForReading(HKEY root, const std::wstring& path, RegistryKey& key, bool& present)
{
    const LSTATUS status = key.Open(root, path, KEY_READ);
    present = status == ERROR_SUCCESS;
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    return {status, path};
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
    list = ExcelList{version, {}, {}};
    RegistryKey key;
    bool present = false;
    if (ListError error = OpenForReading(userRoot, OptionsKeyPath(version), key, present)) {
        return error;
    }
    if (present) {
        const LSTATUS status = key.ReadValues(list.options);
        if (status != ERROR_SUCCESS) {
            return {status, OptionsKeyPath(version)};
        }
    }
    if (ListError error = OpenForReading(userRoot, AddInManagerKeyPath(version), key, present)) {
        return error;
    }
    if (present) {
        std::vector<StoredValue> values;
        const LSTATUS status = key.ReadValues(values);
        if (status != ERROR_SUCCESS) {
            return {status, AddInManagerKeyPath(version)};
        }
        for (const StoredValue& value : values) {
            list.addInManager.push_back(value.name);
        }
    }
    return {};
}

ListError ReadExcelLists(HKEY userRoot, std::vector<ExcelList>& lists)
{
    lists.clear();
    RegistryKey office;
    bool present = false;
    if (ListError error = OpenForReading(userRoot, kOfficeKey, office, present)) {
        return error;
    }
    if (!present) {
        return {};
    }
    std::vector<std::wstring> names;
    const LSTATUS status = office.ReadSubkeyNames(names);
    if (status != ERROR_SUCCESS) {
        return {status, kOfficeKey};
    }
    std::vector<std::wstring> versions;
    for (const std::wstring& name : names) {
        RegistryKey excel;
        if (IsVersionName(name) &&
            excel.Open(userRoot, ExcelKeyPath(name), KEY_READ) != ERROR_FILE_NOT_FOUND) {
            versions.push_back(name);
        }
    }
    std::sort(versions.begin(), versions.end(), [](const std::wstring& a, const std::wstring& b) {
        return VersionNumber(a) > VersionNumber(b);
    });
    for (const std::wstring& version : versions) {
        ExcelList list;
        if (ListError error = ReadExcelList(userRoot, version, list)) {
            return error;
        }
        lists.push_back(std::move(list));
    }
    return {};
}

std::string ExcelName(const std::wstring& version)
{
    return "Excel " + AnsiFromWide(version);
}

std::string Describe(const ListError& error, const std::string& rootName)
{
    return rootName + "\\" + AnsiFromWide(error.keyPath) + ": " +
           SystemMessage(static_cast<DWORD>(error.status));
}
