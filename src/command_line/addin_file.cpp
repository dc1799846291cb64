#include "command_line/addin_file.h"

#include "report/text.h"

#include <windows.h>

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
