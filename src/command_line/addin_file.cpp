#include "command_line/addin_file.h"

#include "addin_list/path_rules.h"
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

std::string DriveProblem(const AddInFile& file)
{
    if (file.state != FileState::NoDrive) {
        return {};
    }
    const std::string drive = AnsiFromWide(DriveRoot(file.full).substr(0, 2));
    return "The add-in file \"" + AnsiFromWide(file.full) + "\" is on drive " + drive +
           ", which is not there for this run. Drive letters belong to a logon session: a run "
           "that is elevated, or runs as SYSTEM, doesn't see the drives a user mapped. Give the "
           "add-in's path on a drive this run sees, or its \\\\server\\share path";
}
