#include "addins_folder.h"

#include "text.h"

#include <windows.h>
#include <shlobj.h>

std::wstring UserAddInsFolder()
{
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return {};
    return std::wstring(appData) + L"\\Microsoft\\AddIns";
}

std::wstring ResolvedAddInPath(const std::wstring& file)
{
    if (file.find_first_of(L"\\/:") != std::wstring::npos)
        return file;
    return UserAddInsFolder() + L"\\" + file;
}

bool InUserAddInsFolder(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash != std::wstring::npos && SameText(path.substr(0, slash), UserAddInsFolder());
}
