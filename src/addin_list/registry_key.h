// An open registry key and its one owner, which closes it.
#pragma once

#include "addin_list/open_list.h"

#include <windows.h>

#include <string>
#include <vector>

// Whether opening a key follows a registry link. A user can make any key of
// their own hive a link to a key of their choosing, another user's or the
// machine's; in a hive that is not the run's own, each key is therefore
// opened as the link it may be, and refused if it is one.
enum class KeyLinks { Follow, Refuse };

// What opening a key gives for a key that is a link, where links are
// refused: ERROR_REPARSE_POINT_ENCOUNTERED, which not every SDK defines.
constexpr LSTATUS kKeyIsLink = 4395;

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }

    RegistryKey(RegistryKey&& other) noexcept : m_key(other.m_key) { other.m_key = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens (or with Create, opens or makes) parent\path, closing whatever
    // this held before.
    LSTATUS Open(HKEY parent, const std::wstring& path, REGSAM access);
    LSTATUS Create(HKEY parent, const std::wstring& path, REGSAM access);
    // Opens (or with CreateChild, opens or makes) the key name right below
    // parent, one key, not a path; with KeyLinks::Refuse a link is not
    // followed but refused with kKeyIsLink.
    LSTATUS OpenChild(HKEY parent, const std::wstring& name, REGSAM access, KeyLinks links);
    LSTATUS CreateChild(HKEY parent, const std::wstring& name, REGSAM access, KeyLinks links);
    void Close();

    HKEY Get() const { return m_key; }

    // Every value, exactly as stored.
    LSTATUS ReadValues(std::vector<StoredValue>& values) const;
    LSTATUS ReadSubkeyNames(std::vector<std::wstring>& names) const;
    // A string value's text; ERROR_UNSUPPORTED_TYPE for any other type.
    LSTATUS ReadString(const wchar_t* name, std::wstring& text) const;

    LSTATUS Write(const StoredValue& value) const;
    LSTATUS Delete(const std::wstring& name) const;

private:
    HKEY m_key = nullptr;
};

// Opens path below root one key at a time, each by itself as links says
// (RegistryKey::OpenChild): with KeyLinks::Refuse a link on the way would
// lead elsewhere as surely as one at its end, and is refused too. On
// failure key is empty and failedAt is the path as far as the key that
// failed (ERROR_FILE_NOT_FOUND: that key is absent).
LSTATUS OpenKeyPath(HKEY root, const std::wstring& path, REGSAM access, KeyLinks links,
                    RegistryKey& key, std::wstring& failedAt);
