#include "class_factory.h"

#include "call_log.h"
#include "excel_objects.h"
#include "server_state.h"

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef()
{
    return 2;
}

STDMETHODIMP_(ULONG) ClassFactory::Release()
{
    return 1;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    LogLine(L"create Application");
    OnApplicationCreated();
    DispatchObject* application = NewApplication();
    const HRESULT hr = application->QueryInterface(riid, object);
    application->Release();
    return hr;
}

// A lock is counted like a live object: the server stays while one is held.
STDMETHODIMP ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        OnObjectCreated();
    else
        OnObjectDestroyed();
    return S_OK;
}
