// Runs the real uninstall-addin.exe against the stand-in Excel and checks
// what the user sees, what Excel was asked and what is left behind.

#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace {

TEST_F(UninstallRun, UninstallsTheAddInAndLeavesNothingBehind)
{
    ASSERT_EQ(StoredInstalled(m_addIn), true);

    const RunResult run = UninstallSample();

    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, ProgressLine());
    // Without /quiet, standard error stays empty.
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    EXPECT_TRUE(ServerGone());
    EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
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

// A Latin-1 path, which the machine's own ANSI code page could spell too,
// still passes as it did; the progress line is UTF-8 once redirected.
TEST_F(UninstallRun, PassesALatin1PathOnIntact)
{
    const std::wstring addIn = InWorkFolder(L"Caf\x00e9 \x00c5ngstr\x00f6m.xlam");
    CreateEmptyFile(addIn);
    InstallAddIn(addIn);

    const RunResult run = Uninstall(QuoteArgument(addIn));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(
        run.output,
        "Uninstalling C:\\uninstall-addin-tests\\Caf\xC3\xA9 \xC3\x85ngstr\xC3\xB6m.xlam\r\n");
    EXPECT_TRUE(run.boxes.empty());
    const auto log = CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), AddInvocation(addIn)), 1);
    EXPECT_EQ(StoredInstalled(addIn), false);
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    DeleteFileW(addIn.c_str());
}

// Greek and Japanese are outside every Western ANSI code page; the image
// asks Windows for UTF-8 as its code page, so such a path reaches Excel as
// typed, and the progress line and the log show it as typed too.
TEST_F(UninstallRun, PassesAPathOutsideTheAnsiCodePageIntact)
{
    const std::wstring addIn =
        InWorkFolder(L"\u0394\u03bf\u03ba\u03b9\u03bc\u03ae \u65e5\u672c.xlam");
    CreateEmptyFile(addIn);
    InstallAddIn(addIn);
    const std::wstring runLog = InWorkFolder(L"run.log");
    DeleteFileW(runLog.c_str());

    const RunResult run = Uninstall(L"/log:" + QuoteArgument(runLog) + L" " + QuoteArgument(addIn));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(
        run.output,
        "Uninstalling C:\\uninstall-addin-tests\\\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE "
        "\xE6\x97\xA5\xE6\x9C\xAC.xlam\r\n");
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    const auto log = CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), AddInvocation(addIn)), 1);
    EXPECT_EQ(StoredInstalled(addIn), false);
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    EXPECT_NE(ReadFileBytes(runLog).find("add-in \"" + ToUtf8(addIn) + "\""), std::string::npos);
    DeleteFileW(addIn.c_str());
}

TEST_F(UninstallRun, WithoutAPathExplainsUsageAndStartsNothing)
{
    for (const wchar_t* arguments : {L"", L"\"\""}) {
        SCOPED_TRACE(ToUtf8(arguments));
        const RunResult run = Uninstall(arguments);

        EXPECT_EQ(run.exitCode, 3u);
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(run.errors, "");
        ASSERT_EQ(run.boxes.size(), 1u);
        const char* problem = arguments[0] == L'\0' ? "Error: No add-in file was given.\n"
                                                    : "Error: The add-in file name is empty.\n";
        EXPECT_EQ(run.boxes[0].rfind(problem, 0), 0u) << run.boxes[0];
        EXPECT_NE(run.boxes[0].find("Usage: uninstall-addin.exe [/quiet] [/log:<file>]"),
                  std::string::npos)
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
    EXPECT_EQ(run.boxes, (std::vector<std::string>{"Error: CLSIDFromProgID() failed",
                                                   "Error: Fail to init excel"}));
    EXPECT_TRUE(CallLog().empty());
    EXPECT_EQ(StoredInstalled(m_addIn), true);
}

TEST_F(UninstallRun, WhenExcelCannotStartReportsItAndExitsWithOne)
{
    struct Case {
        const char* what;
        bool missingExecutable;
    };
    for (const Case& c :
         {Case{"registered program is missing", true}, Case{"server gives up at start", false}}) {
        SCOPED_TRACE(c.what);
        if (c.missingExecutable) {
            // Where COM looks, whichever hive the registration went to.
            const std::wstring key =
                std::wstring(L"CLSID\\") + standin::kClsid + L"\\LocalServer32";
            SetString(key.c_str(), nullptr, L"\"C:\\no such folder\\EXCEL.EXE\"",
                      HKEY_CLASSES_ROOT);
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
    // A folder: a folder file would not reach Excel at all.
    const std::wstring folder = InWorkFolder(L"Folder.xlam");
    CreateDirectoryW(folder.c_str(), nullptr);

    const RunResult run = Uninstall(QuoteArgument(folder));

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, "Uninstalling " + ToUtf8(folder) + "\r\n");
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_TRUE(IsInvokeFailureBox(run.boxes[0], "Add", "80020009")) << run.boxes[0];
    EXPECT_EQ(run.boxes[1], "Error:: DISP_E_EXCEPTION");
    const std::vector<std::string> tail =
        Joined({AddInvocation(folder), "release AddIns"}, Joined(QuitAndReleaseLines(), {"exit"}));
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
        {L"Application.Workbooks",
         0x80020009,
         {"Workbooks", "Add"},
         {"invoke Workbooks.Add method lcid=0800 args=[] named=[]", "release Workbook"}},
        {L"Application.AddIns",
         0x80020009,
         {"AddIns"},
         {"names AddIns.Add lcid=0400", "release AddIns", "names AddIn.Installed lcid=0400"}},
        {L"AddIn.Installed", 0x80020005, {"Installed"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.member));
        SetUp();
        FailCall(c.member, c.code);

        const RunResult run = UninstallSample();

        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.output, ProgressLine());
        const std::vector<std::string> failures = AutoWrapBoxes(run.boxes);
        ASSERT_EQ(failures.size(), c.boxNames.size());
        for (size_t i = 0; i < failures.size(); ++i) {
            EXPECT_TRUE(IsInvokeFailureBox(failures[i], c.boxNames[i], "8002000[59]"))
                << failures[i];
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
    FailCall(L"Application.Quit", 0x80004005);

    const RunResult run = UninstallSample();

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, ProgressLine());
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_TRUE(IsInvokeFailureBox(run.boxes[0], "Quit", "80004005")) << run.boxes[0];
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    const std::vector<std::string> tail = QuitAndReleaseLines();
    EXPECT_EQ(LastLines(CallLog(), tail.size()), tail);
    // An Excel that was not told to quit would stay for good: the run ends it.
    EXPECT_TRUE(ServerGone());
}

TEST_F(UninstallRun, AMissingMemberEndsTheRunWithTwo)
{
    SetString(standin::kSettingsKey, standin::kMissingMemberValue, L"AddIn.Installed");

    const RunResult run = UninstallSample();

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, ProgressLine());
    EXPECT_EQ(run.boxes,
              std::vector<std::string>{
                  "AutoWrap(): IDispatch::GetIDsOfNames(\"Installed\") failed w/err 0x80020006"});
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    const auto log = CallLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "names AddIn.Installed lcid=0400 unknown");
    // Excel can't be told to quit after that, so the run ends it.
    EXPECT_TRUE(ServerGone());
}

TEST_F(UninstallRun, ACallThatGivesBackNoObject)
{
    struct Case {
        const wchar_t* member;
        bool fatal;  // the missing object is a later call's target
        const char* lastLine;
    };
    const Case cases[] = {
        {L"Application.Workbooks", true,
         "invoke Application.Workbooks get lcid=0800 args=[] named=[]"},
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
            EXPECT_EQ(run.boxes,
                      std::vector<std::string>{"Error: NULL IDispatch passed to AutoWrap()"});
            EXPECT_EQ(StoredInstalled(m_addIn), true);
            EXPECT_TRUE(ServerGone());
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
    EXPECT_TRUE(
        std::regex_match(failures[1], std::regex("AutoWrap\\(\\): IDispatch::GetIDsOfNames"
                                                 "\\(\"Quit\"\\) failed w/err 0x8[0-9a-f]{7}")))
        << failures[1];
    EXPECT_EQ(CallLog().back(), "die AddIns.Add");
    EXPECT_TRUE(ServerGone());
}

}  // namespace
