#include "addin_state.h"

#include "standin_ids.h"

#include <utility>

bool LoadInstalled(const std::wstring& path)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, path.c_str(), RRF_RT_REG_DWORD,
                        nullptr, &value, &size) == ERROR_SUCCESS &&
           value != 0;
}

LSTATUS SaveInstalled(const std::wstring& path, bool installed)
{
    const DWORD value = installed ? 1 : 0;
    return RegSetKeyValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, path.c_str(), REG_DWORD,
                           &value, sizeof value);
}

std::vector<StoredValue> LoadAllStates()
{
    std::vector<StoredValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, standin::kAddInStateKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return values;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<wchar_t> name(longestName + 1);
        for (DWORD i = 0; i < count; ++i) {
            StoredValue value{{}, REG_NONE, std::vector<BYTE>(longestData)};
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = longestData;
            if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &value.type,
                              value.data.data(), &size) != ERROR_SUCCESS)
                continue;
            value.name.assign(name.data(), nameLength);
            value.data.resize(size);
            values.push_back(std::move(value));
        }
    }
    RegCloseKey(key);
    return values;
}

LSTATUS SaveAllStates(const std::vector<StoredValue>& values)
{
    LSTATUS result = ERROR_SUCCESS;
    for (const StoredValue& value : values) {
        const LSTATUS status =
            RegSetKeyValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, value.name.c_str(),
                            value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
        if (status != ERROR_SUCCESS)
            result = status;
    }
    return result;
}
