#pragma once

#include <objidl.h>

// Plays an Excel too busy to take calls: turns away the first calls on
// IDispatch, as Excel does while a dialog is open or a cell is being edited,
// and lets every other call through. Lives as long as the process, so its
// reference count is not tracked.
class BusyMessageFilter final : public IMessageFilter {
public:
    explicit BusyMessageFilter(DWORD rejections) : rejectionsLeft_(rejections) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP_(DWORD)
    HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                       LPINTERFACEINFO interfaceInfo) override;
    STDMETHODIMP_(DWORD)
    RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
    STDMETHODIMP_(DWORD) MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

private:
    DWORD rejectionsLeft_;
};
