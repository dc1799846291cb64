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
    // A busy server: the first calls are turned away with busyResult.
    int busyLookups = 0;
    int busyInvokes = 0;
    HRESULT busyResult = RPC_E_CALL_REJECTED;
    // A hung server: each invocation takes this long.
    DWORD invokeDelayMs = 0;
    // How a DISP_E_EXCEPTION failure is described; null leaves a string out.
    const wchar_t* exceptionSource = nullptr;
    const wchar_t* exceptionDescription = nullptr;
    // Leaves the description to the deferred fill-in.
    bool deferDescription = false;
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
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount,
                                            LCID locale, DISPID* ids) override
    {
        if (echoLookups) {
            std::fprintf(stderr, "lookup\n");
        }
        lookups.push_back({names[0], nameCount, locale, iid == IID_NULL});
        if (busyLookups > 0) {
            --busyLookups;
            return busyResult;
        }
        ids[0] = SUCCEEDED(lookupResult) ? dispatchId : DISPID_UNKNOWN;
        return lookupResult;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argErr) override
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

        if (busyInvokes > 0) {
            --busyInvokes;
            return busyResult;
        }
        Sleep(invokeDelayMs);
        if (invokeResult == DISP_E_EXCEPTION && excepInfo != nullptr) {
            Describe(*excepInfo);
        }
        if (result != nullptr && SUCCEEDED(invokeResult)) {
            *result = resultToGive;
        }
        return invokeResult;
    }

    // Whether a deferred fill-in was asked for its description.
    static bool& deferredFillInCalled()
    {
        static bool called = false;
        return called;
    }

    ULONG references() const { return m_references; }

private:
    static const wchar_t*& deferredDescription()
    {
        static const wchar_t* description = nullptr;
        return description;
    }

    static HRESULT STDAPICALLTYPE FillInLater(EXCEPINFO* info)
    {
        deferredFillInCalled() = true;
        info->bstrDescription = SysAllocString(deferredDescription());
        return S_OK;
    }

    void Describe(EXCEPINFO& info) const
    {
        info.scode = static_cast<SCODE>(0x800A03EC);
        info.bstrSource = exceptionSource ? SysAllocString(exceptionSource) : nullptr;
        info.bstrHelpFile = SysAllocString(L"C:\\help\\excel.chm");
        if (deferDescription) {
            deferredDescription() = exceptionDescription;
            info.pfnDeferredFillIn = &FakeDispatch::FillInLater;
        } else {
            info.bstrDescription =
                exceptionDescription ? SysAllocString(exceptionDescription) : nullptr;
        }
    }

    ULONG m_references = 1;
};
