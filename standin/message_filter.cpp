#include "message_filter.h"

#include "call_log.h"

#include <iterator>
#include <string>

namespace {

// IDispatch's own methods in vtable order, after IUnknown's three.
constexpr WORD kFirstDispatchMethod = 3;
const wchar_t* const kDispatchMethods[] = {L"GetTypeInfoCount", L"GetTypeInfo", L"GetIDsOfNames",
                                           L"Invoke"};

// Only the calls a client makes on Excel's objects count. Activation
// (IServiceProvider and IClassFactory under Wine) and reference counting
// (IRemUnknown) must get through, or the client could not even connect.
// Windows and Wine both name the interface and vtable slot of each call;
// a call that comes without (only DDE does) is let through.
const wchar_t* DispatchMethodName(const INTERFACEINFO* info)
{
    if (!info || !IsEqualIID(info->iid, IID_IDispatch) || info->wMethod < kFirstDispatchMethod)
        return nullptr;
    const size_t index = info->wMethod - kFirstDispatchMethod;
    return index < std::size(kDispatchMethods) ? kDispatchMethods[index] : nullptr;
}

}  // namespace

STDMETHODIMP BusyMessageFilter::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMessageFilter)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IMessageFilter*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BusyMessageFilter::AddRef()
{
    return 2;
}

STDMETHODIMP_(ULONG) BusyMessageFilter::Release()
{
    return 1;
}

STDMETHODIMP_(DWORD)
BusyMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO interfaceInfo)
{
    const wchar_t* method = DispatchMethodName(interfaceInfo);
    if (!method || rejectionsLeft_ == 0)
        return SERVERCALL_ISHANDLED;
    --rejectionsLeft_;
    LogLine(std::wstring(L"busy IDispatch.") + method);
    return SERVERCALL_REJECTED;
}

// Only a client asks for a retry; this filter sits in the server.
STDMETHODIMP_(DWORD) BusyMessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD)
{
    return static_cast<DWORD>(-1);
}

STDMETHODIMP_(DWORD) BusyMessageFilter::MessagePending(HTASK, DWORD, DWORD)
{
    return PENDINGMSG_WAITDEFPROCESS;
}
