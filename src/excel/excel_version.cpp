#include "excel/excel_version.h"

#include "addin_list/registry_key.h"
#include "excel/registration_text.h"

#include <windows.h>

#include <vector>

namespace {

constexpr wchar_t kCurVerKey[] = L"Excel.Application\\CurVer";
constexpr wchar_t kProgIdKey[] = L"Excel.Application\\CLSID";

std::wstring DefaultValue(HKEY root, const std::wstring& keyPath, REGSAM view = 0)
{
    RegistryKey key;
    std::wstring value;
    if (key.Open(root, keyPath, KEY_QUERY_VALUE | view) != ERROR_SUCCESS ||
        key.ReadString(nullptr, value) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

// Where a class's registration may be, in the order COM looks: the 64-bit
// view (HKEY_CLASSES_ROOT, where Windows merges in the user's own classes),
// then the 32-bit view, where a 32-bit Office registers Excel on 64-bit
// Windows. ProgIDs are shared by both views; a class's key is not.
struct ClassesView {
    HKEY root;
    const wchar_t* classes;
    REGSAM view;
};
const ClassesView kClassesViews[] = {
    {HKEY_CLASSES_ROOT, L"", 0},
    {HKEY_CURRENT_USER, L"Software\\Classes\\", KEY_WOW64_32KEY},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\", KEY_WOW64_32KEY},
};

using GetFileVersionInfoSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

// Loaded only when needed, and only from the system folder: a version.dll
// planted beside the program (in Downloads, say) would otherwise run.
std::optional<std::wstring> VersionOfExecutable(const std::wstring& path)
{
    HMODULE library = LoadLibraryExW(L"version.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) {
        return std::nullopt;
    }
    const auto sizeOf = reinterpret_cast<GetFileVersionInfoSizeFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeW")));
    const auto read = reinterpret_cast<GetFileVersionInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoW")));
    const auto query = reinterpret_cast<VerQueryValueFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueW")));
    std::optional<std::wstring> version;
    DWORD ignored = 0;
    const DWORD size = sizeOf != nullptr ? sizeOf(path.c_str(), &ignored) : 0;
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size != 0 && read != nullptr && query != nullptr &&
        read(path.c_str(), 0, size, block.data()) &&
        query(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        length >= sizeof(VS_FIXEDFILEINFO) && HIWORD(fixed->dwFileVersionMS) != 0) {
        version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L".0";
    }
    FreeLibrary(library);
    return version;
}

}  // namespace

std::wstring RegisteredExcelClsid()
{
    return DefaultValue(HKEY_CLASSES_ROOT, kProgIdKey);
}

std::wstring ServerExecutable(const std::wstring& clsid)
{
    if (clsid.empty()) {
        return {};
    }
    for (const ClassesView& place : kClassesViews) {
        const std::wstring command = DefaultValue(
            place.root, place.classes + (L"CLSID\\" + clsid + L"\\LocalServer32"), place.view);
        if (!command.empty()) {
            return ExecutableOfCommandLine(command);
        }
    }
    return {};
}

std::optional<std::wstring> RegisteredExcelVersion()
{
    if (std::optional<std::wstring> version =
            VersionOfProgId(DefaultValue(HKEY_CLASSES_ROOT, kCurVerKey))) {
        return version;
    }
    const std::wstring executable = ServerExecutable(RegisteredExcelClsid());
    return executable.empty() ? std::nullopt : VersionOfExecutable(executable);
}
