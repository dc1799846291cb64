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
    // The length first; a current folder that changed in between would only
    // make the second call ask for more.
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) {
        problem = "The add-in path \"" + typed + "\" is not a valid path (" +
                  SystemMessage(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER) + ")";
        return false;
    }
    full.resize(length);
    file.typed = typed;
    file.full = full;
    return true;
}
