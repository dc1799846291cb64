// Late-bound calls on automation objects.
#pragma once

#include <windows.h>
#include <oaidl.h>

// Process exit status when a call cannot even be attempted: no object to
// call, or a member name the object does not know.
constexpr int kDispatchFatalExitCode = 2;

// Resolves memberName on target and invokes it with flags (DISPATCH_METHOD,
// DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT). The argCount VARIANTs that
// follow are passed by value, last parameter first, as IDispatch::Invoke
// expects them; their contents stay the caller's to free. result may be null.
//
// A busy server's rejections are retried, within the step time limit.
// Every failure is reported here. A null target or an unknown name ends the
// process with kDispatchFatalExitCode; otherwise the HRESULT of
// IDispatch::Invoke is returned.
HRESULT AutoWrap(int flags, VARIANT* result, IDispatch* target, LPCOLESTR memberName, int argCount,
                 ...);

// The name of one of the standard DISP_E_ codes, or null for any other code.
const char* DispatchErrorName(HRESULT hr);
