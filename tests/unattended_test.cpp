// Runs as an uninstaller or a deployment tool makes them: quiet, logged,
// with a time limit, against a busy or a stuck Excel.

#include "pretend_excel.h"
#include "uninstall_run.h"
#include "version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kStamp =
    "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}[+-][0-9]{2}:[0-9]{2} ";

std::string Escaped(const std::string& text)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

std::string Quoted(const std::wstring& path)
{
    return "\"" + ToUtf8(path) + "\"";
}

class UnattendedRun : public UninstallRun {
protected:
    std::vector<std::string> RunLog() const { return Lines(ReadFileBytes(m_runLog)); }
    std::wstring LogSwitch() const { return L"/log:" + QuoteArgument(m_runLog); }

    const std::wstring m_runLog = InWorkFolder(L"run.log");

    void SetUp() override
    {
        UninstallRun::SetUp();
        DeleteFileW(m_runLog.c_str());
    }
};

// The failures that boxes report, run again with /quiet: the same statuses,
// every report a line on standard error, and not one box.
TEST_F(UnattendedRun, QuietRunsReportOnStandardErrorInsteadOfBoxes)
{
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::wstring path;
        DWORD exitCode;
        bool progress;
        std::string errors;  // a regular expression for all of standard error
    };
    const std::string invoke = "uninstall-addin: IDispatch::Invoke\\(\"";
    const std::string dispid = "\"=[0-9a-f]{8}\\) failed w/err 0x";
    const std::string addInRejected =
        invoke + "Add" + dispid +
        "80020009 \\(DISP_E_EXCEPTION: Microsoft Excel: Add method of AddIns class failed\\)\r\n";
    const Case cases[] = {
        {"not registered", [&] { ASSERT_EQ(Server(L"/unregserver"), 0u); }, m_addIn, 1, false,
         "uninstall-addin: CLSIDFromProgID\\(\\) failed\r\n"
         "uninstall-addin: Fail to init excel\r\n"},
        {"can't start", [&] { SetNumber(standin::kSettingsKey, standin::kFailStartValue, 1); },
         m_addIn, 1, false,
         "uninstall-addin: Excel not registered properly\r\n"
         "uninstall-addin: Fail to init excel\r\n"},
        {"path rejected", [] { CreateDirectoryW(InWorkFolder(L"Folder.xlam").c_str(), nullptr); },
         InWorkFolder(L"Folder.xlam"), 2, true, addInRejected},
        {"workbooks refused", [] { FailCall(L"Application.Workbooks", 0x80020009); }, m_addIn, 2,
         true,
         invoke + "Workbooks" + dispid +
             "80020009 \\(DISP_E_EXCEPTION: Microsoft Excel: "
             "Unable to get the Workbooks property of the Application class\\)\r\n" +
             addInRejected},
        {"type mismatch", [] { FailCall(L"AddIn.Installed", 0x80020005); }, m_addIn, 2, true,
         invoke + "Installed" + dispid + "80020005 \\(DISP_E_TYPEMISMATCH\\)\r\n"},
        {"unnamed code", [] { FailCall(L"Application.Quit", 0x80004005); }, m_addIn, 2, true,
         invoke + "Quit" + dispid + "80004005\r\n"},
        {"missing member",
         [&] {
             SetString(standin::kSettingsKey, standin::kMissingMemberValue, L"AddIn.Installed");
         },
         m_addIn, 2, true,
         "uninstall-addin: IDispatch::GetIDsOfNames\\(\"Installed\"\\) failed w/err "
         "0x80020006\r\n"},
        {"no object",
         [&] { SetString(standin::kSettingsKey, standin::kNoObjectValue, L"AddIns.Add"); }, m_addIn,
         2, true, "uninstall-addin: NULL IDispatch passed to AutoWrap\\(\\)\r\n"},
        {"no path", [] {}, L"", 3, false,
         "uninstall-addin: No add-in file was given; \"uninstall-addin\\.exe /\\?\" shows the "
         "usage\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.arrange();

        const RunResult run =
            Uninstall(L"/quiet" + (c.path.empty() ? L"" : L" " + QuoteArgument(c.path)));

        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
        EXPECT_EQ(run.output, c.progress ? "Uninstalling " + ToUtf8(c.path) + "\r\n" : "");
        EXPECT_TRUE(std::regex_match(run.errors, std::regex(c.errors))) << run.errors;
        TearDown();
    }
}

TEST_F(UnattendedRun, LogsEachRunOnLinesOfItsOwnAfterTheLast)
{
    const RunResult first = Uninstall(LogSwitch() + L" " + QuoteArgument(m_addIn));
    const std::wstring folder = InWorkFolder(L"Folder.xlam");
    CreateDirectoryW(folder.c_str(), nullptr);
    const RunResult second = Uninstall(L"-Q " + LogSwitch() + L" " + QuoteArgument(folder));

    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_EQ(second.exitCode, 2u);
    const std::vector<std::string> log = RunLog();
    // The command line's quotes are gone by the time the program sees it.
    const std::string logSwitch = "/log:" + ToUtf8(m_runLog);
    const std::string start =
        "start: uninstall-addin " + std::string(kProgramVersion) + "; add-in ";
    const std::vector<std::string> expected = {
        start + Quoted(m_addIn) + "; switches: " + logSwitch,
        "end: exit status 0: the add-in is uninstalled",
        start + Quoted(folder) + "; switches: -Q " + logSwitch,
        // The same text as the line on standard error.
        "error: " + Lines(second.errors).at(0).substr(std::string("uninstall-addin: ").size()),
        "end: exit status 2: Excel started but the add-in was not uninstalled",
    };
    ASSERT_EQ(log.size(), expected.size()) << ReadFileBytes(m_runLog);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_TRUE(std::regex_match(log[i], std::regex(kStamp + Escaped(expected[i])))) << log[i];
    }
}

TEST_F(UnattendedRun, ALogThatCannotBeOpenedIsAUsageErrorAndStartsNothing)
{
    struct Case {
        const char* what;
        std::wstring log;
        bool quiet;
    };
    const Case cases[] = {
        {"missing folder", L"C:\\no such folder\\run.log", false},
        {"missing folder, quiet", L"C:\\no such folder\\run.log", true},
        {"a folder", kWorkFolder, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult run = Uninstall(std::wstring(c.quiet ? L"/q " : L"") + L"/log:" +
                                        QuoteArgument(c.log) + L" " + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 3u);
        EXPECT_EQ(run.output, "");
        const std::string report = "Cannot open the log file \"" + ToUtf8(c.log) + "\": ";
        if (c.quiet) {
            EXPECT_TRUE(run.boxes.empty());
            EXPECT_EQ(run.errors.rfind("uninstall-addin: " + report, 0), 0u) << run.errors;
            EXPECT_EQ(Lines(run.errors).size(), 1u) << run.errors;
        } else {
            EXPECT_EQ(run.errors, "");
            ASSERT_EQ(run.boxes.size(), 1u);
            EXPECT_EQ(run.boxes[0].rfind("Error: " + report, 0), 0u) << run.boxes[0];
        }
        EXPECT_TRUE(CallLog().empty());
        EXPECT_EQ(StoredInstalled(m_addIn), true);
    }
}

TEST_F(UnattendedRun, HelpShowsTheUsageAndStartsNothing)
{
    for (const wchar_t* help : {L"/?", L"-h", L"--HELP"}) {
        SCOPED_TRACE(ToUtf8(help));
        const RunResult run = Uninstall(std::wstring(help) + L" " + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_EQ(run.errors, "");
        for (const std::string& part :
             {"uninstall-addin " + std::string(kProgramVersion),
              std::string("Usage: uninstall-addin.exe [switches] <add-in file>...\r\n"),
              std::string("/quiet, /q"), std::string("/log:<file>"), std::string("/list"),
              std::string("/json"), std::string("/anyfolder"), std::string("/timeout:<seconds>"),
              std::string("/force"), std::string("/?, /h, /help"), std::string("--"),
              std::string("  0  the add-in is uninstalled"),
              std::string("  1  Excel could not be started"),
              std::string("  2  Excel started but the add-in was not uninstalled"),
              std::string("  3  usage error"), std::string("  4  Excel did not answer in time"),
              std::string("  5  Excel was running or was opened during the run, or another "
                          "run was changing Excel's add-in lists; try again later")}) {
            EXPECT_NE(run.output.find(part), std::string::npos) << part;
        }
        EXPECT_TRUE(CallLog().empty());
        EXPECT_EQ(StoredInstalled(m_addIn), true);
    }
}

TEST_F(UnattendedRun, ABadCommandLineIsOneUsageReportAndStartsNothing)
{
    struct Case {
        const wchar_t* arguments;
        bool quiet;
        const char* problem;
    };
    const Case cases[] = {
        {L"/bogus", false, "Unknown switch \"/bogus\""},
        {L"/timeout:soon", false, "The switch \"/timeout:soon\" needs a whole number of seconds"},
        {L"/timeout:-1 /quiet", true, "The switch \"/timeout:-1\" needs a whole number of seconds"},
        {L"/log: -q", true, "The switch \"/log:\" needs a file name"},
        {L"/bogus /timeout:soon /QUIET", true, "Unknown switch \"/bogus\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.arguments));
        const RunResult run = Uninstall(std::wstring(c.arguments) + L" " + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 3u);
        EXPECT_EQ(run.output, "");
        if (c.quiet) {
            EXPECT_TRUE(run.boxes.empty());
            EXPECT_EQ(run.errors.rfind(std::string("uninstall-addin: ") + c.problem, 0), 0u)
                << run.errors;
            EXPECT_EQ(Lines(run.errors).size(), 1u);
        } else {
            EXPECT_EQ(run.errors, "");
            ASSERT_EQ(run.boxes.size(), 1u);
            EXPECT_EQ(run.boxes[0].rfind(std::string("Error: ") + c.problem, 0), 0u)
                << run.boxes[0];
        }
        EXPECT_TRUE(CallLog().empty());
    }
}

TEST_F(UnattendedRun, PathsThatLookLikeSwitchesStillPass)
{
    // "-q" is a file in the current folder. Windows reads "/x" as "\\x" on the
    // current folder's drive; Wine reads it as a Unix path, on its drive Z:,
    // where there is no such file: the run says that file is gone, which
    // shows it took the argument as the path.
    struct Case {
        std::wstring arguments;
        std::wstring typed;
        std::wstring full;
        bool present;
    };
    const std::wstring slashed = L"/uninstall-addin-tests/Sample.xlam";
    const std::wstring onZ = L"Z:\\uninstall-addin-tests\\Sample.xlam";
    const Case cases[] = {
        {L"/q " + slashed, slashed, onZ, false},
        {L"/q -- " + slashed, slashed, onZ, false},
        {L"-- -q", L"-q", InWorkFolder(L"-q"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.arguments));
        SetUp();
        m_runFolder = kWorkFolder;
        if (c.present) {
            CreateEmptyFile(c.full);
        }

        const RunResult run = Uninstall(c.arguments);

        EXPECT_NE(run.exitCode, 3u) << run.errors;
        const std::vector<std::string> calls = CallLog();
        if (c.present) {
            EXPECT_EQ(run.output, "Uninstalling " + ToUtf8(c.typed) + "\r\n");
            EXPECT_EQ(std::count(calls.begin(), calls.end(), AddInvocation(c.full)), 1);
        } else {
            EXPECT_NE(run.output.find(": the add-in file \"" + ToUtf8(c.full) + "\" is gone; "),
                      std::string::npos)
                << run.output;
            EXPECT_TRUE(calls.empty());
        }
        EXPECT_TRUE(ServerGone());
        TearDown();
    }
}

// Uninstallers write their switches after the path, and administrators
// type paths with blanks without quotes.
TEST_F(UnattendedRun, SwitchesAfterThePathCountAndAPathCutAtABlankIsAUsageError)
{
    ReplaceValues(kOldAddInManagerKey, {TextValue(m_addIn, L"")});

    const RunResult after = Uninstall(QuoteArgument(m_addIn) + L" /quiet /remove " + LogSwitch());

    EXPECT_EQ(after.exitCode, 0u) << after.errors;
    EXPECT_TRUE(after.boxes.empty());
    EXPECT_EQ(StoredInstalled(m_addIn), std::nullopt);
    EXPECT_TRUE(ValuesOf(kOldAddInManagerKey).empty());

    const std::wstring folder = InWorkFolder(L"Blank Folder");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring blanked = folder + L"\\Sample.xlam";
    CreateEmptyFile(blanked);
    InstallAddIn(blanked);
    const std::vector<RegValue> before = ValuesOf(standin::kOptionsKey);
    DeleteFileW(m_log.c_str());
    for (const wchar_t* mode : {L"", L"/registry "}) {
        SCOPED_TRACE(ToUtf8(mode));
        const RunResult cut = Uninstall(mode + blanked + L" /quiet");

        EXPECT_EQ(cut.exitCode, 3u);
        EXPECT_EQ(cut.output, "");
        EXPECT_EQ(cut.errors,
                  "uninstall-addin: The add-in file \"" + ToUtf8(InWorkFolder(L"Blank")) +
                      "\" does not exist, and \"Folder\\Sample.xlam\" follows it. A "
                      "path with blanks needs quotes, as in \"" +
                      ToUtf8(blanked) + "\"; \"uninstall-addin.exe /?\" shows the usage\r\n");
        EXPECT_TRUE(CallLog().empty());
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), before);
    }
}

// An elevated or SYSTEM run doesn't see the drives a user mapped: a file
// there is not gone, and Excel can't be given it. The registry modes match
// the path as text and need no file.
TEST_F(UnattendedRun, ADriveThisRunCantSeeIsAUsageErrorOnlyWhereExcelNeedsTheFile)
{
    const std::wstring unseen = L"Q:\\Contoso\\Sample.xlam";
    InstallAddIn(unseen);
    const std::vector<RegValue> before = ValuesOf(standin::kOptionsKey);

    const RunResult run = Uninstall(L"/quiet " + QuoteArgument(unseen));

    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors,
              "uninstall-addin: The add-in file \"Q:\\Contoso\\Sample.xlam\" is on drive Q:, which "
              "is not there for this run. Drive letters belong to a logon session: a run that is "
              "elevated, or runs as SYSTEM, doesn't see the drives a user mapped. Give the "
              "add-in's path on a drive this run sees, or its \\\\server\\share path; "
              "\"uninstall-addin.exe /?\" shows the usage\r\n");
    EXPECT_TRUE(CallLog().empty());
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), before);

    const RunResult registry = Uninstall(L"/registry /quiet " + QuoteArgument(unseen));

    EXPECT_EQ(registry.exitCode, 0u) << registry.errors;
    EXPECT_NE(registry.output.find(": removed \"OPEN1\" under Excel 16.0"), std::string::npos)
        << registry.output;
    EXPECT_TRUE(CallLog().empty());
}

// Excel turns calls away while it is busy; the run waits and says nothing,
// only the log tells.
TEST_F(UnattendedRun, ABusyExcelIsWaitedFor)
{
    struct Case {
        const char* what;
        const wchar_t* setting;
        const char* code;
        const wchar_t* timeout;
    };
    const Case cases[] = {
        {"calls rejected", standin::kRejectCallsValue, "0x80010001 (RPC_E_CALL_REJECTED)", L""},
        {"invokes to retry later", standin::kRetryLaterInvokesValue,
         "0x8001010a (RPC_E_SERVERCALL_RETRYLATER)", L"/timeout:0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        SetNumber(standin::kSettingsKey, c.setting, 3);

        const RunResult run = Uninstall(c.timeout + LogSwitch() + L" " + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
        EXPECT_EQ(run.errors, "");
        EXPECT_EQ(run.output, ProgressLine());
        EXPECT_EQ(StoredInstalled(m_addIn), false);
        const std::vector<std::string> calls = CallLog();
        EXPECT_EQ(CountStartingWith(calls, "busy "), 3u);
        EXPECT_EQ(Without(calls, "busy "), UninstallConversation(m_addIn));

        size_t retried = 0;
        for (const std::string& line : RunLog()) {
            retried += line.find(std::string("busy: Excel turned \"")) != std::string::npos &&
                       line.find(c.code) != std::string::npos;
        }
        EXPECT_EQ(retried, 3u) << ReadFileBytes(m_runLog);
        EXPECT_TRUE(ServerGone());
        TearDown();
    }
}

// When a line first showed up at the end of the stand-in's call log, while
// a run goes on: where a stuck step began, without Wine's own start-up and
// COM activation, which vary with the machine's load.
class CallLogWatch {
public:
    CallLogWatch(std::wstring log, std::string line)
        : m_log(std::move(log)), m_line(std::move(line)), m_thread([this] { Watch(); })
    {}
    ~CallLogWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    CallLogWatch(const CallLogWatch&) = delete;
    CallLogWatch& operator=(const CallLogWatch&) = delete;

    // GetTickCount64() when the line appeared; 0 if it never did.
    ULONGLONG SeenAt() const { return m_seenAt; }

private:
    void Watch()
    {
        while (!m_stop && m_seenAt == 0) {
            const std::vector<std::string> lines = Lines(ReadFileBytes(m_log));
            if (!lines.empty() && lines.back() == m_line) {
                m_seenAt = GetTickCount64();
            }
            Sleep(10);
        }
    }

    const std::wstring m_log;
    const std::string m_line;
    std::atomic<bool> m_stop{false};
    std::atomic<ULONGLONG> m_seenAt{0};
    std::thread m_thread;
};

// A stuck Excel: the report, status 4 within two seconds of the limit, no
// further call on it, and that Excel ended, but no other. When a user opened
// Excel while it started, this run's can't be told: none is ended.
TEST_F(UnattendedRun, AStuckExcelEndsTheRunWithFourSoonAfterTheLimit)
{
    enum class UsersExcel { None, OpenBefore, OpenedWhileStarting };
    struct Case {
        const char* what;
        const wchar_t* hangIn;  // null: Excel never finishes starting
        bool quiet;
        unsigned limit;
        const char* report;
        bool progress;
        UsersExcel users;             // open before the run: /force given
        const wchar_t* registration;  // the stand-in's
    };
    const Case cases[] = {
        {"hung in Installed", L"AddIn.Installed", true, 2,
         "Excel did not answer \"Installed\" within 2 s", true, UsersExcel::None, L"/regserver"},
        {"never started", nullptr, true, 2, "Excel did not start within 2 s", false,
         UsersExcel::None, L"/regserver"},
        // Longer than Wine's own wait of about a second while Excel starts.
        {"hung in Workbooks, boxes", L"Application.Workbooks", false, 2,
         "Excel did not answer \"Workbooks\" within 2 s", false, UsersExcel::None, L"/regserver"},
        {"hung beside the user's Excel", L"AddIn.Installed", true, 2,
         "Excel did not answer \"Installed\" within 2 s", true, UsersExcel::OpenBefore,
         L"/regserver"},
        {"hung after the user opened Excel during its start", L"AddIn.Installed", true, 4,
         "Excel did not answer \"Installed\" within 4 s", true, UsersExcel::OpenedWhileStarting,
         L"/regserver"},
        // As a 32-bit Office registers Excel on 64-bit Windows.
        {"hung in Installed, 32-bit registration", L"AddIn.Installed", true, 2,
         "Excel did not answer \"Installed\" within 2 s", true, UsersExcel::None, L"/regserver32"},
    };
    const std::string noneEnded = "None of the 2 Excel processes that started meanwhile was "
                                  "ended: this run's can't be told from another's";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_EQ(Server(c.registration), 0u);
        if (c.hangIn != nullptr) {
            SetString(standin::kSettingsKey, standin::kHangInValue, c.hangIn);
        } else {
            SetNumber(standin::kSettingsKey, standin::kNeverRegisterValue, 1);
        }
        std::unique_ptr<PretendExcel> usersExcel;
        if (c.users == UsersExcel::OpenBefore) {
            usersExcel = std::make_unique<PretendExcel>();
        }
        const bool opened = c.users == UsersExcel::OpenedWhileStarting;
        if (opened) {
            SetString(standin::kSettingsKey, standin::kOpenUsersExcelInValue, L"start");
        }

        const std::string stuck = c.hangIn ? "hang " + ToUtf8(c.hangIn) : std::string("start");
        CallLogWatch watch(m_log, stuck);
        const ULONGLONG started = GetTickCount64();
        const RunResult run =
            Uninstall(std::wstring(c.quiet ? L"/quiet " : L"") + (usersExcel ? L"/force " : L"") +
                      L"/timeout:" + std::to_wstring(c.limit) + L" " + LogSwitch() + L" " +
                      QuoteArgument(m_addIn));
        const ULONGLONG ended = started + run.elapsedMs;

        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 4u);
        EXPECT_GE(run.elapsedMs, c.limit * 1000ull);
        // Measured from when Excel got stuck (or, never starting, began to
        // start), as the step's limit is.
        ASSERT_NE(watch.SeenAt(), 0u);
        EXPECT_LT(ended - watch.SeenAt(), (c.limit + 2) * 1000ull);
        EXPECT_EQ(run.output, c.progress ? ProgressLine() : "");
        if (c.quiet) {
            EXPECT_TRUE(run.boxes.empty());
            EXPECT_EQ(run.errors, std::string("uninstall-addin: ") + c.report + "\r\n" +
                                      (opened ? "uninstall-addin: " + noneEnded + "\r\n" : ""));
        } else {
            EXPECT_EQ(run.errors, "");
            EXPECT_EQ(run.boxes, std::vector<std::string>{std::string("Error: ") + c.report});
        }
        // The stuck Excel is gone by the time the program returns; the
        // user's own still runs.
        EXPECT_EQ(ProcessesNamed(kServerExe).size(), c.users == UsersExcel::None         ? 0u
                                                     : c.users == UsersExcel::OpenBefore ? 1u
                                                                                         : 2u);
        if (usersExcel) {
            EXPECT_TRUE(usersExcel->Running());
            usersExcel.reset();
        }
        const std::vector<std::string> calls = CallLog();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), c.hangIn ? "hang " + ToUtf8(c.hangIn) : std::string("start"));
        EXPECT_EQ(StoredInstalled(m_addIn), true);
        const std::vector<std::string> log = LastLines(RunLog(), 3);
        ASSERT_EQ(log.size(), 3u);
        EXPECT_NE(log[0].find(std::string("error: ") + c.report), std::string::npos) << log[0];
        EXPECT_TRUE(std::regex_search(
            log[1],
            std::regex(opened ? "error: " + noneEnded
                              : "ended: Excel process [0-9]+, as it did not answer in time$")))
            << log[1];
        EXPECT_NE(log[2].find("end: exit status 4: Excel did not answer in time"),
                  std::string::npos)
            << log[2];
        TearDown();
    }
}

}  // namespace
