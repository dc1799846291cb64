#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Whether an add-in is installed survives the server process, as it does in
// Excel, so a later run (or the test) can see what the last one left behind.
// Keyed by the path exactly as the client gave it.
bool LoadInstalled(const std::wstring& path);
LSTATUS SaveInstalled(const std::wstring& path, bool installed);

// Every value under the add-in key as it was read, whatever its type, so it
// can be put back byte for byte.
struct StoredValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

// Empty when the key does not exist yet.
std::vector<StoredValue> LoadAllStates();
LSTATUS SaveAllStates(const std::vector<StoredValue>& values);
