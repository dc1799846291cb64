#include "excel/dispatch.h"

#include "excel/busy_excel.h"
#include "excel/exception_info.h"
#include "excel/own_excel.h"
#include "report/exit_status.h"
#include "report/report.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

constexpr int kNameBufferSize = 200;
constexpr int kMessageBufferSize = 200;

struct NamedCode {
    HRESULT code;
    const char* name;
};

// The DISP_E_ codes worth a second box; the gaps in the range are codes that
// have no name of their own.
constexpr NamedCode kDispatchErrorNames[] = {
    {DISP_E_UNKNOWNINTERFACE, "DISP_E_UNKNOWNINTERFACE"},
    {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
    {DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND"},
    {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
    {DISP_E_NONAMEDARGS, "DISP_E_NONAMEDARGS"},
    {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE"},
    {DISP_E_EXCEPTION, "DISP_E_EXCEPTION"},
    {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"},
    {DISP_E_UNKNOWNLCID, "DISP_E_UNKNOWNLCID"},
    {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
    {DISP_E_PARAMNOTOPTIONAL, "DISP_E_PARAMNOTOPTIONAL"},
};

// Converts a member name to the ANSI code page for messages. A name too long
// for the buffer is cut short rather than overrunning it.
void ToAnsiName(LPCOLESTR name, char (&buffer)[kNameBufferSize])
{
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, kNameBufferSize, nullptr, nullptr) > 0) {
        return;
    }
    // Each wide character takes at least one byte, so start from as many as
    // could possibly fit and shorten until the conversion succeeds.
    int length = lstrlenW(name);
    if (length > kNameBufferSize - 1) {
        length = kNameBufferSize - 1;
    }
    for (; length > 0; --length) {
        const int written = WideCharToMultiByte(CP_ACP, 0, name, length, buffer,
                                                kNameBufferSize - 1, nullptr, nullptr);
        if (written > 0) {
            buffer[written] = '\0';
            return;
        }
    }
    buffer[0] = '\0';
}

void ReportInvokeFailure(const char* name, DISPID dispatchId, HRESULT hr, const std::string& detail)
{
    char message[kMessageBufferSize];
    std::snprintf(message, sizeof message, "IDispatch::Invoke(\"%s\"=%08lx) failed w/err 0x%08lx",
                  name, static_cast<unsigned long>(dispatchId), static_cast<unsigned long>(hr));
    ReportCallFailure(message, "AutoWrap()", DispatchErrorName(hr), detail);
}

}  // namespace

const char* DispatchErrorName(HRESULT hr)
{
    for (const NamedCode& entry : kDispatchErrorNames) {
        if (entry.code == hr) {
            return entry.name;
        }
    }
    return nullptr;
}

HRESULT AutoWrap(int flags, VARIANT* result, IDispatch* target, LPCOLESTR memberName, int argCount,
                 ...)
{
    if (target == nullptr) {
        ReportError("NULL IDispatch passed to AutoWrap()", "Error");
        AbandonRun(kDispatchFatalExitCode);
    }

    char name[kNameBufferSize];
    ToAnsiName(memberName, name);

    DISPID dispatchId = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(memberName)};
    HRESULT hr = CallWhileBusy(name, [&] {
        return target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispatchId);
    });
    if (FAILED(hr)) {
        char message[kMessageBufferSize];
        std::snprintf(message, sizeof message,
                      "IDispatch::GetIDsOfNames(\"%s\") failed w/err 0x%08lx", name,
                      static_cast<unsigned long>(hr));
        ReportError(message, "AutoWrap()");
        AbandonRun(kDispatchFatalExitCode);
    }

    // Bitwise copies: the caller keeps ownership of whatever the arguments hold.
    std::vector<VARIANT> args(argCount > 0 ? argCount : 0);
    va_list marker;
    va_start(marker, argCount);
    for (VARIANT& arg : args) {
        arg = va_arg(marker, VARIANT);
    }
    va_end(marker);

    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params = {};
    params.cArgs = static_cast<UINT>(args.size());
    params.rgvarg = args.empty() ? nullptr : args.data();
    if (flags & DISPATCH_PROPERTYPUT) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &namedPut;
    }

    ExceptionInfo exception;
    hr = CallWhileBusy(name, [&] {
        return target->Invoke(dispatchId, IID_NULL, LOCALE_SYSTEM_DEFAULT, static_cast<WORD>(flags),
                              &params, result, exception.Fresh(), nullptr);
    });
    if (FAILED(hr)) {
        ReportInvokeFailure(name, dispatchId, hr,
                            hr == DISP_E_EXCEPTION ? exception.Describe() : "");
    }
    return hr;
}
