// The few calls a minimal client makes on the stand-in, shared by the tests
// and standin-client.exe.
#pragma once

#include "standin_ids.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

inline HRESULT StartExcel(IDispatch** application)
{
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(standin::kProgId, &clsid);
    return FAILED(hr) ? hr
                      : CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                         reinterpret_cast<void**>(application));
}

inline HRESULT IdOf(IDispatch* object, const wchar_t* name, DISPID* id)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

// A call without arguments; result may be null.
inline HRESULT Call(IDispatch* object, DISPID id, WORD flags, VARIANT* result)
{
    DISPPARAMS noArguments = {};
    return object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &noArguments, result, nullptr,
                          nullptr);
}
