#include "pretend_running.h"

#include "addin_keys.h"

namespace {

// Excel's main window class, which is how programs tell that Excel is open.
constexpr wchar_t kMainWindowClass[] = L"XLMAIN";
constexpr wchar_t kCaption[] = L"Excel stand-in (pretend running)";
constexpr UINT_PTR kCloseTimer = 1;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(window, kCloseTimer);
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    // WM_CLOSE ends up in DestroyWindow here.
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateMainWindow()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&windowClass))
        return nullptr;
    return CreateWindowExW(0, kMainWindowClass, kCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, 480, 240, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

void RunUntilClosed()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int PretendRunning(DWORD seconds)
{
    const AddInList atStart = ReadAddInList();
    HWND window = CreateMainWindow();
    if (!window)
        return 1;
    if (!SetTimer(window, kCloseTimer, seconds * 1000, nullptr)) {
        DestroyWindow(window);
        return 1;
    }
    RunUntilClosed();
    return WriteAddInList(atStart) == ERROR_SUCCESS ? 0 : 1;
}
