#pragma once

#include <windows.h>

#include <string>

// Whether an add-in is installed survives the server process, as it does in
// Excel, so a later run (or the test) can see what the last one left behind.
// Keyed by the path exactly as the client gave it.
bool LoadInstalled(const std::wstring& path);
LSTATUS SaveInstalled(const std::wstring& path, bool installed);
