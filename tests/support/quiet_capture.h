// Quiet reports, captured: for tests of what a quiet run writes.
#pragma once

#include "report/report.h"

#include <windows.h>

#include <string>

// Sends this process's standard error to a file for as long as it lives,
// and makes reports quiet meanwhile.
class QuietCapture {
public:
    QuietCapture()
    {
        GetTempPathW(MAX_PATH, m_path);
        lstrcatW(m_path, L"uninstall-addin-stderr.txt");
        m_file =
            CreateFileW(m_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        m_saved = GetStdHandle(STD_ERROR_HANDLE);
        SetStdHandle(STD_ERROR_HANDLE, m_file);
        SetQuietReports(true);
    }
    ~QuietCapture()
    {
        SetQuietReports(false);
        SetStdHandle(STD_ERROR_HANDLE, m_saved);
        CloseHandle(m_file);
        DeleteFileW(m_path);
    }
    QuietCapture(const QuietCapture&) = delete;
    QuietCapture& operator=(const QuietCapture&) = delete;

    std::string Text() const
    {
        std::string text(GetFileSize(m_file, nullptr), '\0');
        DWORD read = 0;
        SetFilePointer(m_file, 0, nullptr, FILE_BEGIN);
        ReadFile(m_file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
        text.resize(read);
        return text;
    }

private:
    wchar_t m_path[MAX_PATH] = {};
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_saved = nullptr;
};
