#include "child_process.h"

#include <tlhelp32.h>

namespace {

HANDLE CreateInheritableOutput(const std::wstring& path)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void CloseOutputs(HANDLE output, HANDLE errors)
{
    if (errors != output && errors != INVALID_HANDLE_VALUE) {
        CloseHandle(errors);
    }
    if (output != INVALID_HANDLE_VALUE) {
        CloseHandle(output);
    }
}

// One launch; false, with the error, when the process never started.
bool Launch(const std::wstring& commandLine, const std::wstring& outputPath,
            const std::wstring& errorPath, const std::wstring& currentFolder,
            PROCESS_INFORMATION& process, DWORD& error)
{
    HANDLE output = CreateInheritableOutput(outputPath);
    HANDLE errors = errorPath.empty() ? output : CreateInheritableOutput(errorPath);
    if (output == INVALID_HANDLE_VALUE || errors == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        CloseOutputs(output, errors);
        return false;
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = errors;

    std::wstring mutableLine = commandLine;
    const bool started =
        CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                       currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                       &process) != FALSE;
    error = started ? 0 : GetLastError();
    CloseOutputs(output, errors);
    return started;
}

}  // namespace

ProcessOutcome RunProcess(const std::wstring& commandLine, const std::wstring& outputPath,
                          DWORD timeoutMs, const std::wstring& errorPath,
                          const std::wstring& currentFolder)
{
    ProcessOutcome outcome;
    PROCESS_INFORMATION process = {};
    const ULONGLONG start = GetTickCount64();
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) {
            Sleep(200);
        }
        started =
            Launch(commandLine, outputPath, errorPath, currentFolder, process, outcome.launchError);
    }
    if (!started) {
        outcome.exitCode = static_cast<DWORD>(-1);
        return outcome;
    }
    CloseHandle(process.hThread);

    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        outcome.timedOut = true;
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    outcome.elapsedMs = GetTickCount64() - start;
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hProcess);
    return outcome;
}

HANDLE StartProcess(const std::wstring& commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring mutableLine = commandLine;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::wstring QuoteArgument(const std::wstring& argument)
{
    // Enough for the paths the tests use: no embedded quotes, and no
    // backslash right before the closing quote.
    return L"\"" + argument + L"\"";
}

std::vector<DWORD> ProcessesNamed(const wchar_t* exeName)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, exeName) == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

void TerminateProcessesNamed(const wchar_t* exeName)
{
    for (DWORD id : ProcessesNamed(exeName)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process != nullptr) {
            TerminateProcess(process, 98);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

bool WaitUntilNoProcessNamed(const wchar_t* exeName, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!ProcessesNamed(exeName).empty()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

std::wstring ExecutableFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    CloseHandle(file);
    return bytes;
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                        nullptr, nullptr);
    return utf8;
}
