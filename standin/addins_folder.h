#pragma once

#include <string>

// The user's own add-ins folder, %APPDATA%\Microsoft\AddIns: Excel names the
// add-ins there by their bare file name and lists them in its dialog without
// keeping them under "Add-in Manager".
std::wstring UserAddInsFolder();

// The full path of a file an OPEN value names: a bare name is in the user's
// add-ins folder.
std::wstring ResolvedAddInPath(const std::wstring& file);

bool InUserAddInsFolder(const std::wstring& path);
