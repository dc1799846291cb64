// Asks Excel.Application for its Workbooks, from a process of its own so
// that a test can end a call that never returns by ending this process.
// Exits with 0 when every call succeeded.

#include "standin_client.h"

int main()
{
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    IDispatch* application = nullptr;
    HRESULT hr = StartExcel(&application);
    if (SUCCEEDED(hr)) {
        DISPID id = DISPID_UNKNOWN;
        hr = IdOf(application, L"Workbooks", &id);
        VARIANT workbooks;
        VariantInit(&workbooks);
        if (SUCCEEDED(hr)) {
            hr = Call(application, id, DISPATCH_PROPERTYGET, &workbooks);
        }
        VariantClear(&workbooks);
        application->Release();
    }
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
