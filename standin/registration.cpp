#include "registration.h"

#include "standin_ids.h"

#include <windows.h>

#include <string>

namespace {

const std::wstring kPerUserClasses = L"Software\\Classes\\";
const std::wstring kMachineClasses = L"Software\\Classes\\";
const std::wstring kProgIdKey = std::wstring(standin::kProgId) + L"\\CLSID";
const std::wstring kCurVerKey = std::wstring(standin::kProgId) + L"\\CurVer";
const std::wstring kVersionedProgIdKey = std::wstring(standin::kVersionedProgId) + L"\\CLSID";
const std::wstring kClsidKey = std::wstring(L"CLSID\\") + standin::kClsid;
const std::wstring kServerKey = kClsidKey + L"\\LocalServer32";

// view: 0 for the program's own view of the registry, or KEY_WOW64_32KEY.
bool SetDefaultValue(HKEY root, const std::wstring& key, const std::wstring& value, REGSAM view = 0)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(opened, nullptr, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()), size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
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

// The same in the registry's 32-bit view, which RegDeleteTreeW can't name.
bool DeleteTree32(HKEY root, const std::wstring& key)
{
    HKEY opened = nullptr;
    LSTATUS status = RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &opened);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteTreeW(opened, nullptr);
        RegCloseKey(opened);
    }
    if (status == ERROR_SUCCESS)
        status = RegDeleteKeyExW(root, key.c_str(), KEY_WOW64_32KEY, 0);
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

bool WriteProgIds(HKEY root, const std::wstring& classes)
{
    return SetDefaultValue(root, classes + kProgIdKey, standin::kClsid) &&
           SetDefaultValue(root, classes + kCurVerKey, standin::kVersionedProgId) &&
           SetDefaultValue(root, classes + kVersionedProgIdKey, standin::kClsid);
}

bool WriteClass(HKEY root, const std::wstring& classes, const std::wstring& serverCommand,
                REGSAM view)
{
    return SetDefaultValue(root, classes + kClsidKey, L"Excel stand-in", view) &&
           SetDefaultValue(root, classes + kServerKey, serverCommand, view) &&
           SetDefaultValue(root, classes + kClsidKey + L"\\ProgID", standin::kProgId, view);
}

// Windows shows per-user classes through HKEY_CLASSES_ROOT, which is where
// COM looks them up; Wine does not merge them.
bool ProgIdsSeenByCom()
{
    return DefaultValue(HKEY_CLASSES_ROOT, kProgIdKey) == standin::kClsid &&
           DefaultValue(HKEY_CLASSES_ROOT, kCurVerKey) == standin::kVersionedProgId &&
           DefaultValue(HKEY_CLASSES_ROOT, kVersionedProgIdKey) == standin::kClsid;
}

bool RegisterProgIds()
{
    return WriteProgIds(HKEY_CURRENT_USER, kPerUserClasses) &&
           (ProgIdsSeenByCom() || WriteProgIds(HKEY_CLASSES_ROOT, L""));
}

// The class in the program's own (64-bit) view, per user where COM sees
// per-user classes.
bool RegisterClass64(const std::wstring& serverCommand)
{
    return WriteClass(HKEY_CURRENT_USER, kPerUserClasses, serverCommand, 0) &&
           (DefaultValue(HKEY_CLASSES_ROOT, kServerKey) == serverCommand ||
            WriteClass(HKEY_CLASSES_ROOT, L"", serverCommand, 0));
}

bool UnregisterClass64()
{
    return DeleteTree(HKEY_CURRENT_USER, kPerUserClasses + kClsidKey) &&
           // Whatever still shows through HKEY_CLASSES_ROOT under this CLSID is
           // ours (written where per-user classes are not merged).
           DeleteTree(HKEY_CLASSES_ROOT, kClsidKey);
}

// Where a 32-bit Office puts its class on 64-bit Windows:
// HKLM\Software\Classes\Wow6432Node\CLSID\{...}.
bool UnregisterClass32()
{
    return DeleteTree32(HKEY_LOCAL_MACHINE, kMachineClasses + kClsidKey);
}

// A ProgID may belong to a real Excel, so it goes only while it still
// points here.
bool DeleteProgIdIfOurs(const std::wstring& progId, const std::wstring& clsidKey)
{
    if (DefaultValue(HKEY_CLASSES_ROOT, clsidKey) != standin::kClsid)
        return true;
    return DeleteTree(HKEY_CLASSES_ROOT, progId);
}

std::wstring ServerCommand()
{
    const std::wstring exe = ModulePath();
    return exe.empty() ? std::wstring() : L"\"" + exe + L"\"";
}

}  // namespace

bool RegisterServer(ClassView view)
{
    const std::wstring serverCommand = ServerCommand();
    if (serverCommand.empty() || !RegisterProgIds())
        return false;
    // One view only, so that a run finds the class only where this
    // registration put it.
    if (view == ClassView::Only32Bit)
        return UnregisterClass64() &&
               WriteClass(HKEY_LOCAL_MACHINE, kMachineClasses, serverCommand, KEY_WOW64_32KEY);
    return UnregisterClass32() && RegisterClass64(serverCommand);
}

bool UnregisterServer()
{
    bool ok = DeleteTree(HKEY_CURRENT_USER, kPerUserClasses + standin::kProgId) &&
              DeleteTree(HKEY_CURRENT_USER, kPerUserClasses + standin::kVersionedProgId);
    ok = UnregisterClass64() && ok;
    ok = UnregisterClass32() && ok;
    ok = DeleteProgIdIfOurs(standin::kProgId, kProgIdKey) && ok;
    return DeleteProgIdIfOurs(standin::kVersionedProgId, kVersionedProgIdKey) && ok;
}
