// Starting and finding processes from a test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ProcessOutcome {
    DWORD exitCode = 0;
    bool timedOut = false;
    ULONGLONG elapsedMs = 0;  // from start to end
    DWORD launchError = 0;    // set, with exitCode -1, when it never started
};

// Runs commandLine with its standard output going to outputPath, and its
// standard error to errorPath (or to outputPath too, when errorPath is
// empty), and waits for it, ending it after timeoutMs. Output goes to files
// because a server the process starts inherits its handles and may outlive
// it. A launch that fails is tried again a few times, since under a loaded
// Wine starting a process now and then fails for no reason of the test's.
// The process starts in currentFolder, or in this one when that is empty.
ProcessOutcome RunProcess(const std::wstring& commandLine, const std::wstring& outputPath,
                          DWORD timeoutMs, const std::wstring& errorPath = {},
                          const std::wstring& currentFolder = {});

// Starts commandLine without waiting for it; null if it could not start.
// The caller closes the handle.
HANDLE StartProcess(const std::wstring& commandLine);

// Quotes one argument for a command line.
std::wstring QuoteArgument(const std::wstring& argument);

// Processes whose executable file is exeName ("name.exe").
std::vector<DWORD> ProcessesNamed(const wchar_t* exeName);
void TerminateProcessesNamed(const wchar_t* exeName);
bool WaitUntilNoProcessNamed(const wchar_t* exeName, DWORD timeoutMs);

// The folder this test executable is in, with a trailing backslash.
std::wstring ExecutableFolder();

std::string ReadFileBytes(const std::wstring& path);
std::string ToUtf8(const std::wstring& text);
