// An in-process automation object that records how it is called.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdio>
#include <string>
#include <vector>

class FakeDispatch : public IDispatch {
public:
    struct NameLookup {
        std::wstring name;
        UINT nameCount = 0;
        LCID locale = 0;
        bool nullInterfaceId = false;
    };
    struct Invocation {
        DISPID dispatchId = 0;
        bool nullInterfaceId = false;
        LCID locale = 0;
        WORD flags = 0;
        std::vector<VARIANT> args;
        std::vector<DISPID> namedArgs;
        bool namedArrayIsNull = false;
        VARIANT* result = nullptr;
        bool excepInfoGiven = false;
        bool argErrGiven = false;
    };

    // What the object answers.
    HRESULT lookupResult = S_OK;
    DISPID dispatchId = 0x1234;
    HRESULT invokeResult = S_OK;
    VARIANT resultToGive = {};
    // Tells a death test's parent, through standard error, that a lookup
    // happened.
    bool echoLookups = false;

    std::vector<NameLookup> lookups;
    std::vector<Invocation> invocations;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount,
                                            LCID locale, DISPID* ids) override
    {
        if (echoLookups) {
            std::fprintf(stderr, "lookup\n");
        }
        lookups.push_back({names[0], nameCount, locale, iid == IID_NULL});
        ids[0] = SUCCEEDED(lookupResult) ? dispatchId : DISPID_UNKNOWN;
        return lookupResult;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excepInfo, UINT* argErr) override
    {
        Invocation call;
        call.dispatchId = id;
        call.nullInterfaceId = iid == IID_NULL;
        call.locale = locale;
        call.flags = flags;
        call.args.assign(params->rgvarg, params->rgvarg + params->cArgs);
        call.namedArrayIsNull = params->rgdispidNamedArgs == nullptr;
        if (params->rgdispidNamedArgs != nullptr) {
            call.namedArgs.assign(params->rgdispidNamedArgs,
                                  params->rgdispidNamedArgs + params->cNamedArgs);
        }
        call.result = result;
        call.excepInfoGiven = excepInfo != nullptr;
        call.argErrGiven = argErr != nullptr;
        invocations.push_back(call);

        if (result != nullptr && SUCCEEDED(invokeResult)) {
            *result = resultToGive;
        }
        return invokeResult;
    }

    ULONG references() const { return m_references; }

private:
    ULONG m_references = 1;
};
