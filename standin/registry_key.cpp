#include "registry_key.h"

#include <cstring>
#include <utility>

StoredValue TextValue(const std::wstring& name, const std::wstring& text)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {name, REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

std::wstring TextOf(const StoredValue& value)
{
    if (value.type != REG_SZ)
        return {};
    std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        memcpy(&text[0], value.data.data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

RegistryKey::RegistryKey(const wchar_t* subkey, Access access)
{
    status_ = access == Access::Read
                  ? RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_QUERY_VALUE, &key_)
                  : RegCreateKeyExW(HKEY_CURRENT_USER, subkey, 0, nullptr, 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
    if (status_ != ERROR_SUCCESS)
        key_ = nullptr;
}

RegistryKey::~RegistryKey()
{
    if (key_)
        RegCloseKey(key_);
}

std::optional<StoredValue> RegistryKey::Read(const std::wstring& name) const
{
    if (!key_)
        return std::nullopt;
    StoredValue value{name, REG_NONE, {}};
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key_, name.c_str(), nullptr, &value.type, nullptr, &size);
    // The value may grow between the two calls.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        value.data.resize(size);
        status =
            RegQueryValueExW(key_, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
    }
    return std::nullopt;
}

std::vector<StoredValue> RegistryKey::ReadAll() const
{
    std::vector<StoredValue> values;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (!key_ ||
        RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(longestName + 1);
    for (DWORD i = 0; i < count; ++i) {
        StoredValue value{{}, REG_NONE, std::vector<BYTE>(longestData)};
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = longestData;
        if (RegEnumValueW(key_, i, name.data(), &nameLength, nullptr, &value.type,
                          value.data.data(), &size) != ERROR_SUCCESS)
            continue;
        value.name.assign(name.data(), nameLength);
        value.data.resize(size);
        values.push_back(std::move(value));
    }
    return values;
}

LSTATUS RegistryKey::Write(const StoredValue& value) const
{
    if (!key_)
        return status_;
    return RegSetValueExW(key_, value.name.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
}

LSTATUS RegistryKey::Delete(const std::wstring& name) const
{
    if (!key_)
        return status_;
    const LSTATUS status = RegDeleteValueW(key_, name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}
