// Runs the real uninstall-addin.exe against the stand-in Excel and checks
// what the user sees, what Excel was asked and what is left behind.

#include "box_recorder.h"
#include "child_process.h"
#include "standin_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kServerExe[] = L"excel-standin.exe";
constexpr wchar_t kWorkFolder[] = L"C:\\uninstall-addin-tests";
constexpr DWORD kRunTimeoutMs = 60000;

struct RunResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string output;  // standard output and error together
    std::vector<std::string> boxes;
};

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

void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value,
               HKEY root = HKEY_CURRENT_USER)
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

// The add-in's installed state as the stand-in keeps it.
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
    return count >= lines.size() ? lines : std::vector<std::string>(lines.end() - count, lines.end());
}

// What the stand-in logs when the add-in at path is added.
std::string AddInvocation(const std::wstring& path)
{
    return "invoke AddIns.Add method lcid=0800 args=[BSTR:\"" + ToUtf8(path) + "\"] named=[]";
}

// How every run that gets as far as telling Excel to quit ends.
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

std::vector<std::string> Joined(std::vector<std::string> lines, const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// The boxes of failed calls, without the boxes that name their codes.
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

// "AutoWrap(): IDispatch::Invoke("<name>"=<8 hex digits>) failed w/err 0x<code>"
bool IsInvokeFailureBox(const std::string& box, const std::string& name, const char* code)
{
    const std::regex pattern("AutoWrap\\(\\): IDispatch::Invoke\\(\"" + name +
                             "\"=[0-9a-f]{8}\\) failed w/err 0x" + code);
    return std::regex_match(box, pattern);
}

class UninstallRun : public ::testing::Test {
protected:
    void SetUp() override
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

    void TearDown() override
    {
        // A run that ended early leaves its Excel behind, holding references
        // that nobody will release.
        TerminateProcessesNamed(kServerExe);
        RegDeleteTreeW(HKEY_CURRENT_USER, standin::kSettingsKey);
    }

    DWORD Server(const wchar_t* arguments)
    {
        const std::wstring line = QuoteArgument(ExecutableFolder() + kServerExe) + L" " + arguments;
        return RunProcess(line, InWorkFolder(L"server.txt"), kRunTimeoutMs).exitCode;
    }

    void InstallAddIn(const std::wstring& path)
    {
        SetNumber(standin::kAddInStateKey, path.c_str(), 1);
    }

    // Runs the program with a command line tail as given (already quoted).
    RunResult Uninstall(const std::wstring& arguments)
    {
        std::wstring line = QuoteArgument(ExecutableFolder() + L"uninstall-addin.exe");
        if (!arguments.empty()) {
            line += L" " + arguments;
        }
        const std::wstring outputPath = InWorkFolder(L"output.txt");

        RunResult run;
        BoxRecorder recorder;
        const ProcessOutcome outcome = RunProcess(line, outputPath, kRunTimeoutMs);
        run.exitCode = outcome.exitCode;
        run.timedOut = outcome.timedOut;
        run.output = ReadFileBytes(outputPath);
        run.boxes = recorder.Texts();
        return run;
    }

    RunResult UninstallSample() { return Uninstall(QuoteArgument(m_addIn)); }

    std::vector<std::string> CallLog() const { return Lines(ReadFileBytes(m_log)); }

    std::string ProgressLine() const { return "Uninstalling " + ToUtf8(m_addIn) + "\r\n"; }

    static bool ServerGone() { return WaitUntilNoProcessNamed(kServerExe, 10000); }

    const std::wstring m_log = InWorkFolder(L"calls.log");
    const std::wstring m_addIn = InWorkFolder(L"Sample.xlam");
};

TEST_F(UninstallRun, UninstallsTheAddInAndLeavesNothingBehind)
{
    ASSERT_EQ(StoredInstalled(m_addIn), true);

    const RunResult run = UninstallSample();

    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, ProgressLine());
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    EXPECT_TRUE(ServerGone());
    const std::vector<std::string> expected = Joined({
        "start",
        "create Application",
        "names Application.Workbooks lcid=0400",
        "invoke Application.Workbooks get lcid=0800 args=[] named=[]",
        "names Workbooks.Add lcid=0400",
        "invoke Workbooks.Add method lcid=0800 args=[] named=[]",
        "names Application.AddIns lcid=0400",
        "invoke Application.AddIns get lcid=0800 args=[] named=[]",
        "names AddIns.Add lcid=0400",
        AddInvocation(m_addIn),
        "names AddIn.Installed lcid=0400",
        "invoke AddIn.Installed put lcid=0800 args=[BOOL:0] named=[-3]",
        "release AddIn",
        "release AddIns",
    }, Joined(QuitAndReleaseLines(), {"exit"}));
    EXPECT_EQ(CallLog(), expected);
}

TEST_F(UninstallRun, IgnoresArgumentsAfterThePath)
{
    const RunResult run = Uninstall(QuoteArgument(m_addIn) + L" extra \"C:\\other.xlam\"");

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, ProgressLine());
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    EXPECT_EQ(StoredInstalled(L"C:\\other.xlam"), std::nullopt);
    const auto log = CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), AddInvocation(m_addIn)), 1);
    EXPECT_TRUE(ServerGone());
}

// The program's manifest makes its ANSI code page UTF-8, so a path that no
// single legacy code page can spell still reaches Excel intact, and the
// progress line is UTF-8 whatever the machine's own code page is.
TEST_F(UninstallRun, PassesANonAsciiPathOnIntact)
{
    const std::wstring addIn = InWorkFolder(L"Caf\x00e9 \x03a9\x03bc\x03ad\x03b3\x03b1 \x65e5\x672c.xlam");
    CreateEmptyFile(addIn);
    InstallAddIn(addIn);

    const RunResult run = Uninstall(QuoteArgument(addIn));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "Uninstalling C:\\uninstall-addin-tests\\Caf\xC3\xA9 "
                          "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xE6\x97\xA5\xE6\x9C\xAC.xlam\r\n");
    EXPECT_TRUE(run.boxes.empty());
    const auto log = CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), AddInvocation(addIn)), 1);
    EXPECT_EQ(StoredInstalled(addIn), false);
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    DeleteFileW(addIn.c_str());
}

TEST_F(UninstallRun, WithoutAPathExplainsUsageAndStartsNothing)
{
    for (const wchar_t* arguments : {L"", L"\"\""}) {
        SCOPED_TRACE(ToUtf8(arguments));
        const RunResult run = Uninstall(arguments);

        EXPECT_EQ(run.exitCode, 3u);
        EXPECT_EQ(run.output, "");
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].rfind("Error: Usage: uninstall-addin.exe <add-in file>", 0), 0u)
            << run.boxes[0];
        EXPECT_TRUE(CallLog().empty());
        EXPECT_TRUE(ProcessesNamed(kServerExe).empty());
    }
}

TEST_F(UninstallRun, WithoutExcelRegisteredReportsItAndExitsWithOne)
{
    ASSERT_EQ(Server(L"/unregserver"), 0u);

    const RunResult run = UninstallSample();

    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.boxes,
              (std::vector<std::string>{"Error: CLSIDFromProgID() failed", "Error: Fail to init excel"}));
    EXPECT_TRUE(CallLog().empty());
    EXPECT_EQ(StoredInstalled(m_addIn), true);
}

TEST_F(UninstallRun, WhenExcelCannotStartReportsItAndExitsWithOne)
{
    struct Case {
        const char* what;
        bool missingExecutable;
    };
    for (const Case& c : {Case{"registered program is missing", true},
                          Case{"server gives up at start", false}}) {
        SCOPED_TRACE(c.what);
        if (c.missingExecutable) {
            // Where COM looks, whichever hive the registration went to.
            const std::wstring key = std::wstring(L"CLSID\\") + standin::kClsid + L"\\LocalServer32";
            SetString(key.c_str(), nullptr, L"\"C:\\no such folder\\EXCEL.EXE\"", HKEY_CLASSES_ROOT);
        } else {
            ASSERT_EQ(Server(L"/regserver"), 0u);
            SetNumber(standin::kSettingsKey, standin::kFailStartValue, 1);
        }

        const RunResult run = UninstallSample();

        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(run.boxes, (std::vector<std::string>{"Error: Excel not registered properly",
                                                      "Error: Fail to init excel"}));
        EXPECT_EQ(StoredInstalled(m_addIn), true);
        EXPECT_TRUE(ServerGone());
    }
}

TEST_F(UninstallRun, APathExcelRejectsIsReportedAndExcelStillQuits)
{
    const std::wstring missing = InWorkFolder(L"Missing.xlam");

    const RunResult run = Uninstall(QuoteArgument(missing));

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, "Uninstalling " + ToUtf8(missing) + "\r\n");
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_TRUE(IsInvokeFailureBox(run.boxes[0], "Add", "80020009")) << run.boxes[0];
    EXPECT_EQ(run.boxes[1], "Error:: DISP_E_EXCEPTION");
    const std::vector<std::string> tail =
        Joined({AddInvocation(missing), "release AddIns"}, Joined(QuitAndReleaseLines(), {"exit"}));
    EXPECT_EQ(LastLines(CallLog(), tail.size()), tail);
    EXPECT_TRUE(ServerGone());
}

// A failed call produced no object: what needs that object is skipped, the
// rest still runs and Excel is still told to quit.
TEST_F(UninstallRun, AFailedCallSkipsOnlyWhatNeedsItsObject)
{
    struct Case {
        const wchar_t* member;
        DWORD code;
        std::vector<const char*> boxNames;  // members whose Invoke failed, in order
        std::vector<const char*> absent;    // log lines that must not appear
    };
    const Case cases[] = {
        {L"Application.Workbooks", 0x80020009, {"Workbooks", "Add"},
         {"invoke Workbooks.Add method lcid=0800 args=[] named=[]", "release Workbook"}},
        {L"Application.AddIns", 0x80020009, {"AddIns"},
         {"names AddIns.Add lcid=0400", "release AddIns", "names AddIn.Installed lcid=0400"}},
        {L"AddIn.Installed", 0x80020005, {"Installed"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.member));
        SetUp();
        SetString(standin::kSettingsKey, standin::kFailCallValue, c.member);
        SetNumber(standin::kSettingsKey, standin::kFailHResultValue, c.code);

        const RunResult run = UninstallSample();

        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.output, ProgressLine());
        const std::vector<std::string> failures = AutoWrapBoxes(run.boxes);
        ASSERT_EQ(failures.size(), c.boxNames.size());
        for (size_t i = 0; i < failures.size(); ++i) {
            EXPECT_TRUE(IsInvokeFailureBox(failures[i], c.boxNames[i], "8002000[59]")) << failures[i];
        }
        const auto log = CallLog();
        for (const char* line : c.absent) {
            EXPECT_EQ(std::count(log.begin(), log.end(), line), 0) << line;
        }
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "exit");
        EXPECT_EQ(std::count(log.begin(), log.end(), "release Application"), 1);
        EXPECT_TRUE(ServerGone());
        TearDown();
    }
}

TEST_F(UninstallRun, QuitFailingWithAnUnnamedCodeShowsOneBoxAndStillReleases)
{
    SetString(standin::kSettingsKey, standin::kFailCallValue, L"Application.Quit");
    SetNumber(standin::kSettingsKey, standin::kFailHResultValue, 0x80004005);

    const RunResult run = UninstallSample();

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, ProgressLine());
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_TRUE(IsInvokeFailureBox(run.boxes[0], "Quit", "80004005")) << run.boxes[0];
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    const std::vector<std::string> tail = QuitAndReleaseLines();
    EXPECT_EQ(LastLines(CallLog(), tail.size()), tail);
}

TEST_F(UninstallRun, AMissingMemberEndsTheRunWithTwo)
{
    SetString(standin::kSettingsKey, standin::kMissingMemberValue, L"AddIn.Installed");

    const RunResult run = UninstallSample();

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, ProgressLine());
    EXPECT_EQ(run.boxes, std::vector<std::string>{
                             "AutoWrap(): IDispatch::GetIDsOfNames(\"Installed\") failed w/err 0x80020006"});
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    const auto log = CallLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "names AddIn.Installed lcid=0400 unknown");
}

TEST_F(UninstallRun, ACallThatGivesBackNoObject)
{
    struct Case {
        const wchar_t* member;
        bool fatal;  // the missing object is a later call's target
        const char* lastLine;
    };
    const Case cases[] = {
        {L"Application.Workbooks", true, "invoke Application.Workbooks get lcid=0800 args=[] named=[]"},
        {L"AddIns.Add", true, nullptr},
        // Nothing calls the new workbook, so the run needs no object from it.
        {L"Workbooks.Add", false, "exit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.member));
        SetUp();
        SetString(standin::kSettingsKey, standin::kNoObjectValue, c.member);

        const RunResult run = UninstallSample();

        EXPECT_EQ(run.output, ProgressLine());
        const auto log = CallLog();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), c.lastLine != nullptr ? c.lastLine : AddInvocation(m_addIn));
        if (c.fatal) {
            EXPECT_EQ(run.exitCode, 2u);
            EXPECT_EQ(run.boxes, std::vector<std::string>{"Error: NULL IDispatch passed to AutoWrap()"});
            EXPECT_EQ(StoredInstalled(m_addIn), true);
        } else {
            EXPECT_EQ(run.exitCode, 0u);
            EXPECT_TRUE(run.boxes.empty());
            EXPECT_EQ(StoredInstalled(m_addIn), false);
            EXPECT_TRUE(ServerGone());
        }
        TearDown();
    }
}

TEST_F(UninstallRun, ExcelDyingMidRunIsReportedWithoutHanging)
{
    SetString(standin::kSettingsKey, standin::kDieInValue, L"AddIns.Add");

    const RunResult run = UninstallSample();

    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, ProgressLine());
    const std::vector<std::string> failures = AutoWrapBoxes(run.boxes);
    ASSERT_EQ(failures.size(), 2u) << run.boxes.size();
    EXPECT_TRUE(IsInvokeFailureBox(failures[0], "Add", "8[0-9a-f]{7}")) << failures[0];
    // Excel is gone, so even the lookup of "Quit" fails, which ends the run.
    EXPECT_TRUE(std::regex_match(failures[1], std::regex("AutoWrap\\(\\): IDispatch::GetIDsOfNames"
                                                         "\\(\"Quit\"\\) failed w/err 0x8[0-9a-f]{7}")))
        << failures[1];
    EXPECT_EQ(CallLog().back(), "die AddIns.Add");
    EXPECT_TRUE(ServerGone());
}

}  // namespace
