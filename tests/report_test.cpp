#include "addin_list/list_change.h"
#include "box_recorder.h"
#include "command_line/usage.h"
#include "quiet_capture.h"
#include "report/report.h"
#include "run_guard.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(Report, AskToRetryIsAWarningWithRetryAndCancel)
{
    for (int answer : {IDRETRY, IDCANCEL}) {
        BoxRecorder boxes([answer](const RecordedBox&) { return answer; });
        const bool retry =
            AskToRetry("Close it, then choose Retry.", "uninstall-addin", "close it");

        EXPECT_EQ(retry, answer == IDRETRY);
        const std::vector<RecordedBox> seen = boxes.Boxes();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "uninstall-addin");
        EXPECT_EQ(seen[0].text, "Close it, then choose Retry.");
        EXPECT_TRUE(seen[0].retryCancel);
        EXPECT_TRUE(seen[0].warningIcon);
        EXPECT_FALSE(seen[0].errorIcon);
    }
}

TEST(Report, QuietRunsCantAskAndSayWhy)
{
    BoxRecorder boxes;
    std::string written;
    bool retry = true;
    {
        QuietCapture quiet;
        retry = AskToRetry("Close it, then choose Retry.", "uninstall-addin", "Excel is running");
        written = quiet.Text();
    }
    EXPECT_FALSE(retry);
    EXPECT_EQ(written, "uninstall-addin: Excel is running\r\n");
    Sleep(100);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(Report, AUsageErrorIsOneReport)
{
    {
        BoxRecorder boxes;
        ReportUsageError("Unknown switch \"/x\"", ShortUsage());
        const std::vector<RecordedBox> seen = boxes.Boxes();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Error");
        EXPECT_EQ(seen[0].text.rfind("Unknown switch \"/x\".\n\nUsage: uninstall-addin.exe ", 0),
                  0u)
            << seen[0].text;
        EXPECT_TRUE(seen[0].okOnly);
        EXPECT_TRUE(seen[0].errorIcon);
    }
    // The command line's text can't start a line of its own.
    QuietCapture quiet;
    ReportUsageError("Unknown switch \"/x\r\nuninstall-addin: done\x1b[8m\"", ShortUsage());
    EXPECT_EQ(quiet.Text(),
              "uninstall-addin: Unknown switch \"/x\\r\\nuninstall-addin: done\\x1b[8m\"; "
              "\"uninstall-addin.exe /?\" shows the usage\r\n");
}

// An exception that escapes the run ends it with a report and a status a
// deployment tool knows, never an abort (which reads as a usage error).
TEST(Report, AnExceptionThatEscapesTheRunIsReportedWithTwoOrInAListChangeSix)
{
    struct Case {
        const char* what;
        int (*run)();
        int status;
        const char* line;
    };
    const Case cases[] = {
        {"out of memory", []() -> int { throw std::bad_alloc(); }, 2,
         "uninstall-addin: The run broke off: out of memory\r\n"},
        {"inside a list change",
         []() -> int {
             const ListChangeUnderWay underWay;
             throw std::runtime_error("bad\r\nline");
         },
         6, "uninstall-addin: The run broke off: bad\\r\\nline\r\n"},
        {"after a list change",
         []() -> int {
             {
                 const ListChangeUnderWay underWay;
             }
             throw 42;
         },
         2, "uninstall-addin: The run broke off: an unexpected exception\r\n"},
        {"without one", []() { return 5; }, 5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoxRecorder boxes;
        QuietCapture quiet;
        EXPECT_EQ(RunGuarded(c.run), c.status);
        EXPECT_EQ(quiet.Text(), c.line);
    }
}

}  // namespace
