#include "main_window.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"XLMAIN";
constexpr wchar_t kCaption[] = L"Excel stand-in";
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

bool RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

HWND CreateMainWindow(bool visible)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterMainWindowClass(instance))
        return nullptr;
    const DWORD style = WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0);
    return CreateWindowExW(0, kMainWindowClass, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT, 480,
                           240, nullptr, nullptr, instance, nullptr);
}

bool KeepWindowFor(HWND window, DWORD seconds)
{
    if (!SetTimer(window, kCloseTimer, seconds * 1000, nullptr)) {
        DestroyWindow(window);
        return false;
    }
    PumpMessages();
    return true;
}

void PumpMessages()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
