#include "excel/message_wait.h"

namespace {

void DispatchWaitingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool WaitWithMessages(HANDLE object, DWORD milliseconds)
{
    const DWORD count = object != nullptr ? 1 : 0;
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        DWORD left = INFINITE;
        if (milliseconds != INFINITE) {
            const ULONGLONG now = GetTickCount64();
            left = now < end ? static_cast<DWORD>(end - now) : 0;
        }
        // A signalled object wins over waiting messages, also with no time
        // left.
        const DWORD wait = MsgWaitForMultipleObjects(count, &object, FALSE, left, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + count) {
            return count != 0 && wait == WAIT_OBJECT_0;
        }
        DispatchWaitingMessages();
        if (left == 0) {
            return count != 0 && WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        }
    }
}
