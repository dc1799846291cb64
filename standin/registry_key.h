#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// A value as it is stored, whatever its type, so it can be put back byte for
// byte.
struct StoredValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// A REG_SZ value holding text, with its terminating null as Windows writes it.
StoredValue TextValue(const std::wstring& name, const std::wstring& text);
// The text of a REG_SZ value, without the nulls it may end with; empty for
// any other type.
std::wstring TextOf(const StoredValue& value);

// Owns one key under HKEY_CURRENT_USER and closes it when it goes. A key that
// could not be opened reads as empty and refuses writes.
class RegistryKey {
public:
    enum class Access { Read, Write };  // Write creates the key when missing

    RegistryKey(const wchar_t* subkey, Access access);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    LSTATUS Status() const { return status_; }

    std::optional<StoredValue> Read(const std::wstring& name) const;
    std::vector<StoredValue> ReadAll() const;
    LSTATUS Write(const StoredValue& value) const;
    // A value already gone is not an error.
    LSTATUS Delete(const std::wstring& name) const;

private:
    HKEY key_ = nullptr;
    LSTATUS status_;
};
