#include "uninstall_run.h"

#include <regex>

std::wstring InWorkFolder(const wchar_t* name)
{
    return std::wstring(kWorkFolder) + L"\\" + name;
}

void CreateEmptyFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value, HKEY root)
{
    ASSERT_EQ(RegSetKeyValueW(root, key, name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void SetNumber(const wchar_t* key, const wchar_t* name, DWORD value)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
}

void FailCall(const wchar_t* member, DWORD code)
{
    SetString(standin::kSettingsKey, standin::kFailCallValue, member);
    SetNumber(standin::kSettingsKey, standin::kFailHResultValue, code);
}

std::optional<bool> StoredInstalled(const std::wstring& path)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, path.c_str(), RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value != 0;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> LastLines(const std::vector<std::string>& lines, size_t count)
{
    return count >= lines.size() ? lines
                                 : std::vector<std::string>(lines.end() - count, lines.end());
}

std::vector<std::string> Joined(std::vector<std::string> lines,
                                const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

std::vector<std::string> Without(const std::vector<std::string>& lines, const std::string& prefix)
{
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) != 0) {
            kept.push_back(line);
        }
    }
    return kept;
}

size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    return lines.size() - Without(lines, prefix).size();
}

std::string AddInvocation(const std::wstring& path)
{
    return "invoke AddIns.Add method lcid=0800 args=[BSTR:\"" + ToUtf8(path) + "\"] named=[]";
}

std::vector<std::string> QuitAndReleaseLines()
{
    return {
        "names Application.Quit lcid=0400",
        "invoke Application.Quit method lcid=0800 args=[] named=[]",
        "release Workbook",
        "release Workbooks",
        "release Application",
    };
}

std::vector<std::string> UninstallConversation(const std::wstring& path)
{
    return Joined(
        {
            "start",
            "create Application",
            "names Application.Workbooks lcid=0400",
            "invoke Application.Workbooks get lcid=0800 args=[] named=[]",
            "names Workbooks.Add lcid=0400",
            "invoke Workbooks.Add method lcid=0800 args=[] named=[]",
            "names Application.AddIns lcid=0400",
            "invoke Application.AddIns get lcid=0800 args=[] named=[]",
            "names AddIns.Add lcid=0400",
            AddInvocation(path),
            "names AddIn.Installed lcid=0400",
            "invoke AddIn.Installed put lcid=0800 args=[BOOL:0] named=[-3]",
            "release AddIn",
            "release AddIns",
        },
        Joined(QuitAndReleaseLines(), {"exit"}));
}

std::vector<std::string> AutoWrapBoxes(const std::vector<std::string>& boxes)
{
    std::vector<std::string> failures;
    for (const std::string& box : boxes) {
        if (box.rfind("AutoWrap(): ", 0) == 0) {
            failures.push_back(box);
        }
    }
    return failures;
}

bool IsInvokeFailureBox(const std::string& box, const std::string& name, const char* code)
{
    const std::regex pattern("AutoWrap\\(\\): IDispatch::Invoke\\(\"" + name +
                             "\"=[0-9a-f]{8}\\) failed w/err 0x" + code);
    return std::regex_match(box, pattern);
}

void UninstallRun::SetUp()
{
    TerminateProcessesNamed(kServerExe);
    CreateDirectoryW(kWorkFolder, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, standin::kSettingsKey);
    ASSERT_EQ(Server(L"/regserver"), 0u);

    DeleteFileW(m_log.c_str());
    SetString(standin::kSettingsKey, standin::kCallLogValue, m_log);
    CreateEmptyFile(m_addIn);
    InstallAddIn(m_addIn);
}

void UninstallRun::TearDown()
{
    // A run that ended early leaves its Excel behind, holding references
    // that nobody will release.
    TerminateProcessesNamed(kServerExe);
    RegDeleteTreeW(HKEY_CURRENT_USER, standin::kSettingsKey);
}

DWORD UninstallRun::Server(const wchar_t* arguments)
{
    const std::wstring line = QuoteArgument(ExecutableFolder() + kServerExe) + L" " + arguments;
    return RunProcess(line, InWorkFolder(L"server.txt"), kRunTimeoutMs).exitCode;
}

void UninstallRun::InstallAddIn(const std::wstring& path)
{
    SetNumber(standin::kAddInStateKey, path.c_str(), 1);
}

RunResult UninstallRun::Uninstall(const std::wstring& arguments, BoxAnswer answer)
{
    std::wstring line = QuoteArgument(ExecutableFolder() + L"uninstall-addin.exe");
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    const std::wstring outputPath = InWorkFolder(L"output.txt");
    const std::wstring errorPath = InWorkFolder(L"errors.txt");

    RunResult run;
    BoxRecorder recorder(std::move(answer));
    const ProcessOutcome outcome = RunProcess(line, outputPath, kRunTimeoutMs, errorPath);
    run.exitCode = outcome.exitCode;
    run.timedOut = outcome.timedOut;
    run.elapsedMs = outcome.elapsedMs;
    run.output = ReadFileBytes(outputPath);
    run.errors = ReadFileBytes(errorPath);
    run.boxes = recorder.Texts();
    run.boxDetails = recorder.Boxes();
    return run;
}
