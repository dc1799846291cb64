// An Excel the user already has open writes its own list of installed
// add-ins back when it closes, undoing the uninstall; the program refuses
// to work behind it.

#include "pretend_excel.h"
#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kRunningBox[] = "uninstall-addin: Excel is running. Close every Excel window, then "
                               "choose Retry, or choose Cancel to "
                               "stop without changing anything.";

TEST_F(UninstallRun, QuietRunsRefuseAtOnceWhileExcelIsOpen)
{
    PretendExcel excel;
    const std::wstring runLog = InWorkFolder(L"run.log");
    DeleteFileW(runLog.c_str());

    const RunResult run =
        Uninstall(L"/quiet /log:" + QuoteArgument(runLog) + L" " + QuoteArgument(m_addIn));

    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, "uninstall-addin: Excel is running: close it and run this again\r\n");
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_TRUE(CallLog().empty());
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    const std::vector<std::string> log = Lines(ReadFileBytes(runLog));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[1].find("error: Excel is running: close it and run this again"),
              std::string::npos);
    EXPECT_NE(log[2].find("end: exit status 5: Excel was running or was opened during the run, or "
                          "another run was changing Excel's add-in lists; try again later"),
              std::string::npos);
}

TEST_F(UninstallRun, AsksToCloseExcelAndCancelChangesNothing)
{
    PretendExcel excel;

    const RunResult run =
        Uninstall(QuoteArgument(m_addIn), [](const RecordedBox&) { return IDCANCEL; });

    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.boxes, std::vector<std::string>{kRunningBox});
    ASSERT_EQ(run.boxDetails.size(), 1u);
    // Its icon can only be told in-process under Wine; a unit test does.
    EXPECT_TRUE(run.boxDetails[0].retryCancel);
    EXPECT_TRUE(CallLog().empty());
    excel.Close();
    EXPECT_EQ(StoredInstalled(m_addIn), true);
}

TEST_F(UninstallRun, RetryGoesOnOnceExcelIsClosed)
{
    PretendExcel excel;
    int asked = 0;
    // The first Retry finds Excel still open and asks again; the user then
    // closes it.
    const auto answer = [&](const RecordedBox&) {
        if (++asked == 2) {
            excel.Close();
        }
        return IDRETRY;
    };

    const RunResult run = Uninstall(QuoteArgument(m_addIn), answer);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, ProgressLine());
    EXPECT_EQ(run.boxes, (std::vector<std::string>{kRunningBox, kRunningBox}));
    EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
    EXPECT_EQ(StoredInstalled(m_addIn), false);
}

// A user who opens Excel while the run goes on: that Excel read the old
// list and would put it back, so the run asks to be tried again.
TEST_F(UninstallRun, AnExcelOpenedDuringTheRunAsksForAnotherRun)
{
    SetString(standin::kSettingsKey, standin::kOpenUsersExcelInValue, L"AddIn.Installed");

    const RunResult run = Uninstall(L"/quiet " + QuoteArgument(m_addIn));

    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(run.errors, "uninstall-addin: Excel was opened during the run and may put the "
                          "add-in back when it closes; run this again once it is closed\r\n");
    EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    EXPECT_EQ(ProcessesNamed(kServerExe).size(), 1u);
}

// What the check guards against, shown: forced past an open Excel, the run
// succeeds, and that Excel undoes it when it closes. That Excel was open
// before the run: it is no reason to ask for another.
TEST_F(UninstallRun, ForceWorksBehindAnOpenExcelWhichThenUndoesIt)
{
    PretendExcel excel;

    const RunResult run = Uninstall(L"/force " + QuoteArgument(m_addIn));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    excel.Close();
    EXPECT_EQ(StoredInstalled(m_addIn), true);
}

}  // namespace
