#include "command_line/addin_file.h"

#include "report/text.h"

#include <windows.h>

namespace {

FileState StateOf(const std::wstring& fullPath)
{
    const DWORD attributes = GetFileAttributesW(fullPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileState::Folder : FileState::Present;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::Gone
                                                                          : FileState::Unknown;
}

}  // namespace

bool LocateAddInFile(const std::string& typed, AddInFile& file, std::string& problem)
{
    const std::wstring wide = WideFromAnsi(typed);
    if (wide.empty()) {
        problem = "The add-in path can't be read in this system's code page";
        return false;
    }
    const std::wstring full = TextFilledBy([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    if (full.empty()) {
        problem = "The add-in path \"" + typed + "\" is not a valid path (" +
                  SystemMessage(GetLastError()) + ")";
        return false;
    }
    file.typed = typed;
    file.full = full;
    file.state = StateOf(full);
    return true;
}
