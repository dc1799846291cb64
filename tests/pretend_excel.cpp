#include "pretend_excel.h"

#include "uninstall_run.h"

#include <gtest/gtest.h>

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<WindowSearch*>(search);
    wchar_t className[16] = {};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == wanted->processId && GetClassNameW(window, className, 16) > 0 &&
        lstrcmpW(className, L"XLMAIN") == 0) {
        wanted->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

PretendExcel::PretendExcel(Window window)
{
    std::wstring line =
        QuoteArgument(ExecutableFolder() + kServerExe) +
        (window == Window::Visible ? L" /pretend-running 120" : L" /pretend-hidden 120");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "can't start the pretend Excel";
        return;
    }
    CloseHandle(process.hThread);
    m_process = process.hProcess;
    m_processId = process.dwProcessId;
    for (int i = 0; i < 200 && MainWindow() == nullptr; ++i) {
        Sleep(50);
    }
    EXPECT_NE(MainWindow(), nullptr) << "no XLMAIN window";
}

PretendExcel::~PretendExcel()
{
    Close();
    if (m_process != nullptr) {
        CloseHandle(m_process);
    }
}

void PretendExcel::Close()
{
    if (m_process == nullptr || WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0) {
        return;
    }
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_process, 10000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the pretend Excel did not close";
        TerminateProcess(m_process, 97);
        WaitForSingleObject(m_process, INFINITE);
    }
}

HWND PretendExcel::MainWindow() const
{
    WindowSearch search = {m_processId, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
