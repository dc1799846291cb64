#include "addin_state.h"

#include "standin_ids.h"

bool LoadInstalled(const std::wstring& path)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, path.c_str(), RRF_RT_REG_DWORD,
                        nullptr, &value, &size) == ERROR_SUCCESS
        && value != 0;
}

LSTATUS SaveInstalled(const std::wstring& path, bool installed)
{
    const DWORD value = installed ? 1 : 0;
    return RegSetKeyValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, path.c_str(), REG_DWORD,
                           &value, sizeof value);
}
