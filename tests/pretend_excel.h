// The stand-in playing an Excel that is already open when a run starts: the
// user's own (a visible main window, which writes back the add-in list it
// found at its start when it closes), or another program's automation Excel
// or one left stuck (a hidden main window).
#pragma once

#include <windows.h>

class PretendExcel {
public:
    enum class Window { Visible, Hidden };

    explicit PretendExcel(Window window = Window::Visible);
    ~PretendExcel();

    PretendExcel(const PretendExcel&) = delete;
    PretendExcel& operator=(const PretendExcel&) = delete;

    // As the user closes Excel: it writes its list back and is gone.
    void Close();
    DWORD ProcessId() const { return m_processId; }
    bool Running() const { return WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

private:
    HWND MainWindow() const;

    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
};
