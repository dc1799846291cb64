#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

struct MemberInfo {
    enum class Kind { Method, ReadOnly, ReadWrite };
    DISPID id;
    const wchar_t* name;
    Kind kind;
    UINT minArgs;
    UINT maxArgs;
};

// IDispatch without a type library: each object hands over a name table and
// answers calls by DISPID. Logging, fault hooks and flag checks live here so
// every object behaves alike.
class DispatchObject : public IDispatch {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

protected:
    // The new object's single reference belongs to whoever called new.
    DispatchObject(const wchar_t* objectName, const MemberInfo* members, size_t memberCount);
    virtual ~DispatchObject();

    // A method call or property get with its argument count already checked.
    // result is null when the caller wants none, or the NoObject hook is on.
    virtual HRESULT Call(const MemberInfo& member, const DISPPARAMS& params, VARIANT* result,
                         EXCEPINFO* excepInfo, UINT* argErr) = 0;
    // Only reached for ReadWrite members.
    virtual HRESULT Put(const MemberInfo& member, const VARIANT& value, UINT* argErr);

    // Hands the creator's reference on object to the caller.
    static void ReturnObject(VARIANT& result, DispatchObject* object);
    static HRESULT ReturnString(VARIANT& result, const std::wstring& text);
    static HRESULT TypeMismatch(UINT* argErr, UINT index);
    // Fails the way Excel does: DISP_E_EXCEPTION with its own error code.
    HRESULT RaiseError(const MemberInfo& member, bool putting, EXCEPINFO* excepInfo) const;

private:
    const MemberInfo* FindMember(DISPID id) const;
    const MemberInfo* FindMember(const std::wstring& name) const;
    HRESULT InvokeGet(const MemberInfo& member, const DISPPARAMS& params, VARIANT* result,
                      EXCEPINFO* excepInfo, UINT* argErr);
    HRESULT InvokePut(const MemberInfo& member, const DISPPARAMS& params, UINT* argErr);

    LONG refCount_ = 1;
    std::wstring objectName_;
    const MemberInfo* members_;
    size_t memberCount_;
};
