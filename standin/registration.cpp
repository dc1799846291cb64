#include "registration.h"

#include "standin_ids.h"

#include <windows.h>

#include <string>

namespace {

const std::wstring kPerUserClasses = L"Software\\Classes\\";
const std::wstring kProgIdKey = std::wstring(standin::kProgId) + L"\\CLSID";
const std::wstring kCurVerKey = std::wstring(standin::kProgId) + L"\\CurVer";
const std::wstring kVersionedProgIdKey = std::wstring(standin::kVersionedProgId) + L"\\CLSID";
const std::wstring kClsidKey = std::wstring(L"CLSID\\") + standin::kClsid;
const std::wstring kServerKey = kClsidKey + L"\\LocalServer32";

bool SetDefaultValue(HKEY root, const std::wstring& key, const std::wstring& value)
{
    const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(root, key.c_str(), nullptr, REG_SZ, value.c_str(), size) ==
           ERROR_SUCCESS;
}

std::wstring DefaultValue(HKEY root, const std::wstring& key)
{
    wchar_t value[2 * MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

// Unregistering twice is not an error.
bool DeleteTree(HKEY root, const std::wstring& key)
{
    const LSTATUS status = RegDeleteTreeW(root, key.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool WriteEntries(HKEY root, const std::wstring& classes, const std::wstring& serverCommand)
{
    return SetDefaultValue(root, classes + kProgIdKey, standin::kClsid) &&
           SetDefaultValue(root, classes + kCurVerKey, standin::kVersionedProgId) &&
           SetDefaultValue(root, classes + kVersionedProgIdKey, standin::kClsid) &&
           SetDefaultValue(root, classes + kClsidKey, L"Excel stand-in") &&
           SetDefaultValue(root, classes + kServerKey, serverCommand) &&
           SetDefaultValue(root, classes + kClsidKey + L"\\ProgID", standin::kProgId);
}

// Windows shows per-user classes through HKEY_CLASSES_ROOT, which is where
// COM looks them up; Wine does not merge them.
bool SeenByCom(const std::wstring& serverCommand)
{
    return DefaultValue(HKEY_CLASSES_ROOT, kProgIdKey) == standin::kClsid &&
           DefaultValue(HKEY_CLASSES_ROOT, kCurVerKey) == standin::kVersionedProgId &&
           DefaultValue(HKEY_CLASSES_ROOT, kVersionedProgIdKey) == standin::kClsid &&
           DefaultValue(HKEY_CLASSES_ROOT, kServerKey) == serverCommand;
}

// A ProgID may belong to a real Excel, so it goes only while it still
// points here.
bool DeleteProgIdIfOurs(const std::wstring& progId, const std::wstring& clsidKey)
{
    if (DefaultValue(HKEY_CLASSES_ROOT, clsidKey) != standin::kClsid)
        return true;
    return DeleteTree(HKEY_CLASSES_ROOT, progId);
}

}  // namespace

bool RegisterServer()
{
    const std::wstring exe = ModulePath();
    if (exe.empty())
        return false;
    const std::wstring serverCommand = L"\"" + exe + L"\"";
    if (!WriteEntries(HKEY_CURRENT_USER, kPerUserClasses, serverCommand))
        return false;
    return SeenByCom(serverCommand) || WriteEntries(HKEY_CLASSES_ROOT, L"", serverCommand);
}

bool UnregisterServer()
{
    bool ok = DeleteTree(HKEY_CURRENT_USER, kPerUserClasses + standin::kProgId) &&
              DeleteTree(HKEY_CURRENT_USER, kPerUserClasses + standin::kVersionedProgId) &&
              DeleteTree(HKEY_CURRENT_USER, kPerUserClasses + kClsidKey);
    // Whatever still shows through HKEY_CLASSES_ROOT under this CLSID is ours
    // (written where per-user classes are not merged).
    ok = DeleteTree(HKEY_CLASSES_ROOT, kClsidKey) && ok;
    ok = DeleteProgIdIfOurs(standin::kProgId, kProgIdKey) && ok;
    return DeleteProgIdIfOurs(standin::kVersionedProgId, kVersionedProgIdKey) && ok;
}
