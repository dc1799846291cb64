#include "addin_list/registry_key.h"

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        Close();
        m_key = other.m_key;
        other.m_key = nullptr;
    }
    return *this;
}

LSTATUS RegistryKey::Open(HKEY parent, const std::wstring& path, REGSAM access)
{
    Close();
    const LSTATUS status = RegOpenKeyExW(parent, path.c_str(), 0, access, &m_key);
    if (status != ERROR_SUCCESS) {
        m_key = nullptr;
    }
    return status;
}

LSTATUS RegistryKey::Create(HKEY parent, const std::wstring& path, REGSAM access)
{
    Close();
    const LSTATUS status =
        RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &m_key, nullptr);
    if (status != ERROR_SUCCESS) {
        m_key = nullptr;
    }
    return status;
}

LSTATUS RegistryKey::OpenChild(HKEY parent, const std::wstring& name, REGSAM access, KeyLinks links)
{
    if (links == KeyLinks::Follow) {
        return Open(parent, name, access);
    }
    Close();
    // Opened as the link itself, never as what it points to; a link's
    // target is its value SymbolicLinkValue, of type REG_LINK.
    const LSTATUS status =
        RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access | KEY_QUERY_VALUE, &m_key);
    if (status != ERROR_SUCCESS) {
        m_key = nullptr;
        return status;
    }
    DWORD type = REG_NONE;
    if (RegQueryValueExW(m_key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
            ERROR_SUCCESS &&
        type == REG_LINK) {
        Close();
        return kKeyIsLink;
    }
    return ERROR_SUCCESS;
}

LSTATUS RegistryKey::CreateChild(HKEY parent, const std::wstring& name, REGSAM access,
                                 KeyLinks links)
{
    if (links == KeyLinks::Follow) {
        return Create(parent, name, access);
    }
    Close();
    DWORD disposition = 0;
    const LSTATUS status = RegCreateKeyExW(parent, name.c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE | REG_OPTION_OPEN_LINK, access,
                                           nullptr, &m_key, &disposition);
    if (status != ERROR_SUCCESS) {
        m_key = nullptr;
        return status;
    }
    if (disposition == REG_CREATED_NEW_KEY) {
        return status;
    }
    // A key that was there already may be a link, made since it was found
    // missing.
    return OpenChild(parent, name, access, links);
}

void RegistryKey::Close()
{
    if (m_key != nullptr) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

LSTATUS RegistryKey::ReadValues(std::vector<StoredValue>& values) const
{
    values.clear();
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    LSTATUS status = RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      &count, &longestName, &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // One buffer for every value's data; each value keeps only its own
    // bytes, so that a key full of long values costs what they hold, not
    // their count times the longest.
    std::vector<wchar_t> name(longestName + 1);
    std::vector<std::uint8_t> data(longestData);
    values.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD size = longestData;
        status =
            RegEnumValueW(m_key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;  // another program deleted values meanwhile
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        values.push_back({std::wstring(name.data(), nameLength), type,
                          std::vector<std::uint8_t>(data.begin(), data.begin() + size)});
    }
    return ERROR_SUCCESS;
}

LSTATUS RegistryKey::ReadSubkeyNames(std::vector<std::wstring>& names) const
{
    names.clear();
    DWORD count = 0;
    DWORD longestName = 0;
    LSTATUS status = RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, &count, &longestName,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::vector<wchar_t> name(longestName + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        status = RegEnumKeyExW(m_key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        names.emplace_back(name.data(), length);
    }
    return ERROR_SUCCESS;
}

LSTATUS RegistryKey::ReadString(const wchar_t* name, std::wstring& text) const
{
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return ERROR_UNSUPPORTED_TYPE;
    }
    StoredValue value{name != nullptr ? name : L"", type, std::vector<std::uint8_t>(size)};
    status = RegQueryValueExW(m_key, name, nullptr, &type, value.data.data(), &size);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    value.data.resize(size);
    text = StoredText(value);
    return ERROR_SUCCESS;
}

LSTATUS RegistryKey::Write(const StoredValue& value) const
{
    return RegSetValueExW(m_key, value.name.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
}

LSTATUS RegistryKey::Delete(const std::wstring& name) const
{
    return RegDeleteValueW(m_key, name.c_str());
}

LSTATUS OpenKeyPath(HKEY root, const std::wstring& path, REGSAM access, KeyLinks links,
                    RegistryKey& key, std::wstring& failedAt)
{
    key.Close();
    failedAt.clear();
    RegistryKey reached;
    HKEY parent = root;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        const std::wstring name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty()) {
            continue;
        }
        failedAt += (failedAt.empty() ? L"" : L"\\") + name;
        RegistryKey child;
        const LSTATUS status = child.OpenChild(parent, name, access, links);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        reached = std::move(child);
        parent = reached.Get();
    }
    if (reached.Get() == nullptr) {
        return ERROR_INVALID_PARAMETER;  // no key named at all
    }
    key = std::move(reached);
    failedAt.clear();
    return ERROR_SUCCESS;
}
