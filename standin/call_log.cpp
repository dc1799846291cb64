#include "call_log.h"

#include "text.h"

#include <cwchar>

namespace {

std::wstring logPath;

std::wstring FlagsText(WORD flags)
{
    static const struct {
        WORD flag;
        const wchar_t* name;
    } kinds[] = {
        {DISPATCH_METHOD, L"method"},
        {DISPATCH_PROPERTYGET, L"get"},
        {DISPATCH_PROPERTYPUT, L"put"},
        {DISPATCH_PROPERTYPUTREF, L"putref"},
    };
    std::wstring text;
    for (const auto& kind : kinds) {
        if (flags & kind.flag)
            text += (text.empty() ? L"" : L"|") + std::wstring(kind.name);
    }
    return text.empty() ? L"none" : text;
}

std::wstring ArgText(const VARIANT& arg)
{
    switch (arg.vt) {
    case VT_BSTR: return L"BSTR:\"" + FromBstr(arg.bstrVal) + L"\"";
    case VT_BOOL: return L"BOOL:" + std::to_wstring(arg.boolVal);
    case VT_I4: return L"I4:" + std::to_wstring(arg.lVal);
    case VT_EMPTY: return L"EMPTY";
    default: return L"VT:" + std::to_wstring(arg.vt);
    }
}

}  // namespace

void SetCallLogPath(const std::wstring& path)
{
    logPath = path;
}

void LogLine(const std::wstring& line)
{
    if (logPath.empty())
        return;
    HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes = ToUtf8(line) + "\n";
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring LcidText(LCID lcid)
{
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%04lx", static_cast<unsigned long>(lcid));
    return text;
}

std::wstring InvokeLine(const std::wstring& target, WORD flags, LCID lcid, const DISPPARAMS& params)
{
    std::wstring line =
        L"invoke " + target + L" " + FlagsText(flags) + L" lcid=" + LcidText(lcid) + L" args=[";
    for (UINT i = 0; i < params.cArgs; ++i)
        line += (i ? L"," : L"") + ArgText(params.rgvarg[i]);
    line += L"] named=[";
    for (UINT i = 0; i < params.cNamedArgs; ++i)
        line += (i ? L"," : L"") + std::to_wstring(params.rgdispidNamedArgs[i]);
    return line + L"]";
}
