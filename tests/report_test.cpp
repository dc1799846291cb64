#include "box_recorder.h"
#include "quiet_capture.h"
#include "report/report.h"

#include <gtest/gtest.h>

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
        ReportUsageError("Unknown switch \"/x\"");
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
    ReportUsageError("Unknown switch \"/x\r\nuninstall-addin: done\x1b[8m\"");
    EXPECT_EQ(quiet.Text(),
              "uninstall-addin: Unknown switch \"/x\\r\\nuninstall-addin: done\\x1b[8m\"; "
              "\"uninstall-addin.exe /?\" shows the usage\r\n");
}

}  // namespace
