// Add-in paths as administrators type them: relative to where they stand,
// or on a volume for which Excel would ask whether to copy the add-in, a
// question nobody can answer in the Excel a run starts.

#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr DWORD kClientWaitMs = 10000;

// How the stand-in logs AddIns.Add(path, CopyFile:=False); the arguments
// come last first.
std::string AddInvocationNotCopying(const std::wstring& path)
{
    return "invoke AddIns.Add method lcid=0800 args=[BOOL:0,BSTR:\"" + ToUtf8(path) +
           "\"] named=[]";
}

std::string DialogLine(const std::wstring& path)
{
    return "dialog AddIns.Add: copy " + ToUtf8(path) + " to the add-ins folder?";
}

bool HasLineContaining(const std::vector<std::string>& lines, const std::string& part)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    });
}

class AddInPathRun : public UninstallRun {
protected:
    void SetUp() override
    {
        UninstallRun::SetUp();
        DeleteFileW(m_runLog.c_str());
    }

    RunResult UninstallLogged(const std::wstring& typed)
    {
        return Uninstall(L"/timeout:20 /log:" + QuoteArgument(m_runLog) + L" " +
                         QuoteArgument(typed));
    }

    std::vector<std::string> RunLog() const { return Lines(ReadFileBytes(m_runLog)); }

    const std::wstring m_runLog = InWorkFolder(L"run.log");
};

// Excel's current folder is not the program's, so a relative path handed
// on as typed would miss the file, or find another one.
TEST_F(AddInPathRun, RelativePathsReachExcelMadeFullFromTheCurrentFolder)
{
    struct Case {
        const wchar_t* folder;  // where the program runs, in the work folder
        const wchar_t* typed;
        const wchar_t* file;  // the add-in, in the work folder
    };
    const Case cases[] = {
        {L"Contoso", L"Contoso.xlam", L"Contoso\\Contoso.xlam"},
        {L"", L".\\sub\\x.xlam", L"sub\\x.xlam"},
        {L"sub", L"..\\x.xlam", L"x.xlam"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.typed));
        TearDown();
        SetUp();
        const std::wstring full = InWorkFolder(c.file);
        for (const wchar_t* sub : {L"Contoso", L"sub"}) {
            CreateDirectoryW(InWorkFolder(sub).c_str(), nullptr);
        }
        CreateEmptyFile(full);
        InstallAddIn(full);
        m_runFolder = *c.folder ? InWorkFolder(c.folder) : kWorkFolder;

        const RunResult run = UninstallLogged(c.typed);

        EXPECT_EQ(run.exitCode, 0u) << run.boxes.size();
        EXPECT_EQ(run.output, "Uninstalling " + ToUtf8(c.typed) + "\r\n");
        EXPECT_TRUE(run.boxes.empty());
        const std::vector<std::string> calls = CallLog();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), AddInvocation(full)), 1);
        EXPECT_EQ(StoredInstalled(full), false);
        EXPECT_EQ(StoredInstalled(m_addIn), true);
        EXPECT_TRUE(ServerGone());
        const std::vector<std::string> log = RunLog();
        EXPECT_TRUE(HasLineContaining(log, "; add-in \"" + ToUtf8(c.typed) + "\";"));
        EXPECT_TRUE(HasLineContaining(log, "add-in file: \"" + ToUtf8(full) + "\""));
        m_runFolder.clear();
    }
}

// The modes that never start Excel read a typed path as Windows does too: a
// bare name is the current folder's, not the add-ins folder's, where Excel
// would put a bare name of its own list.
TEST_F(AddInPathRun, TheRegistryModesReadARelativePathFromTheCurrentFolder)
{
    const std::wstring full = InWorkFolder(L"Contoso\\Contoso.xlam");
    CreateDirectoryW(InWorkFolder(L"Contoso").c_str(), nullptr);
    CreateEmptyFile(full);
    ReplaceValues(standin::kOptionsKey, OpenValues({m_addIn, full, L"Contoso.xlam"}));
    m_runFolder = InWorkFolder(L"Contoso");

    const RunResult check = Uninstall(L"/check Contoso.xlam");

    EXPECT_EQ(check.exitCode, 0u);
    EXPECT_EQ(check.output, "installed: Excel 16.0 OPEN1 \"" + ToUtf8(full) + "\"\r\n");

    const RunResult run = Uninstall(L"/registry /remove Contoso.xlam");

    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), SortedByName(OpenValues({m_addIn, L"Contoso.xlam"})));
    EXPECT_TRUE(CallLog().empty());
}

// Without CopyFile Excel would ask, and the run would wait for the time
// limit; with it the add-in stays where it is. A local disk's call keeps
// its one argument.
TEST_F(AddInPathRun, PathsWhereExcelWouldAskToCopyTellItNotTo)
{
    struct Case {
        const char* what;
        std::wstring path;
        const char* volume;  // in the log; null when Excel is asked nothing
    };
    const Case cases[] = {
        {"a network share", L"\\\\server\\share\\Contoso.xlam", "a network share"},
        {"a network drive", L"E:\\Contoso.xlam", "a network drive"},
        {"a removable drive", L"D:\\Contoso.xlam", "a removable medium"},
        {"a local fixed disk", InWorkFolder(L"Contoso.xlam"), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        CreateEmptyFile(c.path);
        InstallAddIn(c.path);

        const RunResult run = UninstallLogged(c.path);

        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty());
        const std::vector<std::string> calls = CallLog();
        const std::string added =
            c.volume ? AddInvocationNotCopying(c.path) : AddInvocation(c.path);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), added), 1);
        EXPECT_FALSE(HasLineContaining(calls, "dialog "));
        EXPECT_EQ(StoredInstalled(c.path), false);
        EXPECT_TRUE(ServerGone());
        EXPECT_EQ(HasLineContaining(RunLog(), "not copied: the add-in lies on "),
                  c.volume != nullptr);
        if (c.volume) {
            EXPECT_TRUE(HasLineContaining(RunLog(), std::string("lies on ") + c.volume + ";"));
        }
        DeleteFileW(c.path.c_str());
    }
}

// The stand-in asks as Excel does, so that the run above would show a
// missing CopyFile as a run that hangs.
TEST_F(AddInPathRun, TheStandInAsksAboutCopyingWhenCopyFileIsLeftOut)
{
    struct Case {
        std::wstring path;
        bool asks;
    };
    const Case cases[] = {
        {L"\\\\server\\share\\Contoso.xlam", true},
        {L"D:\\Contoso.xlam", true},
        {InWorkFolder(L"Contoso.xlam"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.path));
        TearDown();
        SetUp();
        CreateEmptyFile(c.path);

        HANDLE client = StartProcess(QuoteArgument(ExecutableFolder() + L"standin-client.exe") +
                                     L" " + QuoteArgument(c.path));
        ASSERT_NE(client, nullptr);
        if (c.asks) {
            const DWORD start = GetTickCount();
            while (!HasLineContaining(CallLog(), DialogLine(c.path)) &&
                   GetTickCount() - start < kClientWaitMs) {
                Sleep(50);
            }
            EXPECT_EQ(CallLog().back(), DialogLine(c.path));
            EXPECT_EQ(WaitForSingleObject(client, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
            TerminateProcess(client, 97);
        } else {
            ASSERT_EQ(WaitForSingleObject(client, kClientWaitMs),
                      static_cast<DWORD>(WAIT_OBJECT_0));
            DWORD exitCode = 99;
            GetExitCodeProcess(client, &exitCode);
            EXPECT_EQ(exitCode, 0u);
            EXPECT_FALSE(HasLineContaining(CallLog(), "dialog "));
        }
        CloseHandle(client);
        TerminateProcessesNamed(kServerExe);
        DeleteFileW(c.path.c_str());
    }
}

}  // namespace
