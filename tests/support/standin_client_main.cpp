// Asks Excel.Application for its Workbooks, from a process of its own so
// that a test can end a call that never returns by ending this process.
// Given an add-in path, it then opens a workbook and adds that add-in with
// the path as the only argument. Exits with 0 when every call succeeded.

#include "standin_client.h"

#include <initializer_list>

namespace {

// Takes the object out of a call's result, with its reference; null when
// there is none.
IDispatch* TakeObject(VARIANT& result)
{
    if (result.vt != VT_DISPATCH) {
        VariantClear(&result);
        return nullptr;
    }
    IDispatch* object = result.pdispVal;
    result.vt = VT_EMPTY;
    return object;
}

// Gets member of object as an object; *found is the caller's to release.
HRESULT GetMember(IDispatch* object, const wchar_t* member, WORD flags, IDispatch** found)
{
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = IdOf(object, member, &id);
    VARIANT result;
    VariantInit(&result);
    if (SUCCEEDED(hr)) {
        hr = Call(object, id, flags, &result);
    }
    *found = TakeObject(result);
    return SUCCEEDED(hr) && *found == nullptr ? E_POINTER : hr;
}

HRESULT AddAddIn(IDispatch* application, const wchar_t* path)
{
    IDispatch* workbooks = nullptr;
    IDispatch* workbook = nullptr;
    IDispatch* addIns = nullptr;
    HRESULT hr = GetMember(application, L"Workbooks", DISPATCH_PROPERTYGET, &workbooks);
    if (SUCCEEDED(hr)) {
        hr = GetMember(workbooks, L"Add", DISPATCH_METHOD, &workbook);
    }
    if (SUCCEEDED(hr)) {
        hr = GetMember(application, L"AddIns", DISPATCH_PROPERTYGET, &addIns);
    }
    DISPID id = DISPID_UNKNOWN;
    if (SUCCEEDED(hr)) {
        hr = IdOf(addIns, L"Add", &id);
    }
    if (SUCCEEDED(hr)) {
        VARIANT fileName;
        VariantInit(&fileName);
        fileName.vt = VT_BSTR;
        fileName.bstrVal = SysAllocString(path);
        DISPPARAMS arguments = {&fileName, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        hr = addIns->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &arguments,
                            &result, nullptr, nullptr);
        VariantClear(&result);
        VariantClear(&fileName);
    }
    for (IDispatch* object : {addIns, workbook, workbooks}) {
        if (object != nullptr) {
            object->Release();
        }
    }
    return hr;
}

}  // namespace

int wmain(int argc, wchar_t* argv[])
{
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    IDispatch* application = nullptr;
    HRESULT hr = StartExcel(&application);
    if (SUCCEEDED(hr)) {
        if (argc > 1) {
            hr = AddAddIn(application, argv[1]);
        } else {
            IDispatch* workbooks = nullptr;
            hr = GetMember(application, L"Workbooks", DISPATCH_PROPERTYGET, &workbooks);
            if (workbooks != nullptr) {
                workbooks->Release();
            }
        }
        application->Release();
    }
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
