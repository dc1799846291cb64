#include "dispatch_object.h"

#include "call_log.h"
#include "pretend_running.h"
#include "server_state.h"
#include "text.h"

namespace {

constexpr HRESULT kExcelError = static_cast<HRESULT>(0x800A03ECL);

// A busy Excel answers before looking at the call at all.
bool TurnAwayInvoke()
{
    ServerState& server = Server();
    if (server.invokesTurnedAway >= server.settings.retryLaterInvokes)
        return false;
    ++server.invokesTurnedAway;
    return true;
}

}  // namespace

DispatchObject::DispatchObject(const wchar_t* objectName, const MemberInfo* members,
                               size_t memberCount)
    : objectName_(objectName), members_(members), memberCount_(memberCount)
{
    OnObjectCreated();
}

DispatchObject::~DispatchObject()
{
    OnObjectDestroyed();
}

STDMETHODIMP DispatchObject::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DispatchObject::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refCount_));
}

STDMETHODIMP_(ULONG) DispatchObject::Release()
{
    const LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) {
        LogLine(L"release " + objectName_);
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP DispatchObject::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo)
        *typeInfo = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                           DISPID* ids)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const std::wstring name = names[i] ? names[i] : L"";
        // Names after the first are parameter names, which this server does not offer.
        const MemberInfo* member = i == 0 ? FindMember(name) : nullptr;
        ids[i] = member ? member->id : DISPID_UNKNOWN;
        if (!member)
            hr = DISP_E_UNKNOWNNAME;
        LogLine(L"names " + objectName_ + L"." + name + L" lcid=" + LcidText(lcid) +
                (member ? L"" : L" unknown"));
    }
    return hr;
}

STDMETHODIMP DispatchObject::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                    UINT* argErr)
{
    static const DISPPARAMS noParams = {};
    const DISPPARAMS& args = params ? *params : noParams;
    const MemberInfo* member = FindMember(id);
    const std::wstring memberName = member ? member->name : L"#" + std::to_wstring(id);
    const std::wstring target = objectName_ + L"." + memberName;
    if (TurnAwayInvoke()) {
        LogLine(L"busy invoke " + target);
        return RPC_E_SERVERCALL_RETRYLATER;
    }
    LogLine(InvokeLine(target, flags, lcid, args));

    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!member)
        return DISP_E_MEMBERNOTFOUND;

    const Settings& settings = Server().settings;
    if (Targets(settings.dieIn, objectName_, memberName)) {
        LogLine(L"die " + target);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    if (Targets(settings.hangIn, objectName_, memberName)) {
        LogLine(L"hang " + target);
        Sleep(INFINITE);
    }
    if (Targets(settings.openUsersExcelIn, objectName_, memberName))
        OpenUsersExcel();
    const bool getting = (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
    if (Targets(settings.failCall, objectName_, memberName)) {
        return settings.failHResult == DISP_E_EXCEPTION ? RaiseError(*member, !getting, excepInfo)
                                                        : settings.failHResult;
    }

    if (result)
        VariantInit(result);
    VARIANT* wanted = Targets(settings.noObject, objectName_, memberName) ? nullptr : result;
    if (getting)
        return InvokeGet(*member, args, wanted, excepInfo, argErr);
    if (flags & DISPATCH_PROPERTYPUT)
        return InvokePut(*member, args, argErr);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT DispatchObject::InvokeGet(const MemberInfo& member, const DISPPARAMS& params,
                                  VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr)
{
    if (params.cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    if (params.cArgs < member.minArgs || params.cArgs > member.maxArgs)
        return DISP_E_BADPARAMCOUNT;
    return Call(member, params, result, excepInfo, argErr);
}

HRESULT DispatchObject::InvokePut(const MemberInfo& member, const DISPPARAMS& params, UINT* argErr)
{
    if (member.kind != MemberInfo::Kind::ReadWrite)
        return DISP_E_MEMBERNOTFOUND;
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return DISP_E_PARAMNOTFOUND;
    if (params.cArgs != 1)
        return DISP_E_BADPARAMCOUNT;
    return Put(member, params.rgvarg[0], argErr);
}

HRESULT DispatchObject::Put(const MemberInfo&, const VARIANT&, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

void DispatchObject::ReturnObject(VARIANT& result, DispatchObject* object)
{
    result.vt = VT_DISPATCH;
    result.pdispVal = object;
}

HRESULT DispatchObject::ReturnString(VARIANT& result, const std::wstring& text)
{
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy)
        return E_OUTOFMEMORY;
    result.vt = VT_BSTR;
    result.bstrVal = copy;
    return S_OK;
}

HRESULT DispatchObject::TypeMismatch(UINT* argErr, UINT index)
{
    if (argErr)
        *argErr = index;
    return DISP_E_TYPEMISMATCH;
}

HRESULT DispatchObject::RaiseError(const MemberInfo& member, bool putting,
                                   EXCEPINFO* excepInfo) const
{
    if (!excepInfo)
        return DISP_E_EXCEPTION;
    const std::wstring name = member.name;
    const std::wstring description = member.kind == MemberInfo::Kind::Method
                                         ? name + L" method of " + objectName_ + L" class failed"
                                         : L"Unable to " + std::wstring(putting ? L"set" : L"get") +
                                               L" the " + name + L" property of the " +
                                               objectName_ + L" class";
    *excepInfo = EXCEPINFO{};
    excepInfo->scode = kExcelError;
    excepInfo->bstrSource = SysAllocString(L"Microsoft Excel");
    excepInfo->bstrDescription = SysAllocString(description.c_str());
    return DISP_E_EXCEPTION;
}

const MemberInfo* DispatchObject::FindMember(DISPID id) const
{
    for (size_t i = 0; i < memberCount_; ++i) {
        if (members_[i].id == id)
            return &members_[i];
    }
    return nullptr;
}

const MemberInfo* DispatchObject::FindMember(const std::wstring& name) const
{
    if (Targets(Server().settings.missingMember, objectName_, name))
        return nullptr;
    for (size_t i = 0; i < memberCount_; ++i) {
        if (SameText(members_[i].name, name))
            return &members_[i];
    }
    return nullptr;
}
