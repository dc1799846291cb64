// The stand-in's busy, stuck and already-running Excel, checked with a
// minimal client of its own, so the end-to-end tests can rely on them.

#include "standin_client.h"
#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 10000;

DWORD StoredState(const wchar_t* path)
{
    DWORD value = 99;
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, standin::kAddInStateKey, path, RRF_RT_REG_DWORD, nullptr,
                 &value, &size);
    return value;
}

// Whole lines only: the server may be writing the last one.
std::vector<std::string> WholeLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class StandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        TerminateProcessesNamed(kServerExe);
        CreateDirectoryW(kWorkFolder, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, standin::kSettingsKey);
        ASSERT_EQ(RunStandIn(L"/regserver"), 0u);
        DeleteFileW(m_log.c_str());
        SetString(standin::kSettingsKey, standin::kCallLogValue, m_log);
        m_com = SUCCEEDED(CoInitialize(nullptr));
        ASSERT_TRUE(m_com);
    }

    void TearDown() override
    {
        TerminateProcessesNamed(kServerExe);
        RegDeleteTreeW(HKEY_CURRENT_USER, standin::kSettingsKey);
        if (m_com) {
            CoUninitialize();
        }
    }

    static std::wstring InFolder(const wchar_t* name) { return ExecutableFolder() + name; }

    DWORD RunStandIn(const std::wstring& arguments)
    {
        const std::wstring line = QuoteArgument(InFolder(kServerExe)) + L" " + arguments;
        return RunProcess(line, m_output, kTimeoutMs).exitCode;
    }

    std::vector<std::string> CallLog() const { return WholeLines(ReadFileBytes(m_log)); }

    bool m_com = false;
    const std::wstring m_log = std::wstring(kWorkFolder) + L"\\standin-calls.log";
    const std::wstring m_output = std::wstring(kWorkFolder) + L"\\standin-output.txt";
};

// Application.Workbooks is looked up and got, perhaps after being turned
// away, then Excel is told to quit.
TEST_F(StandIn, ABusyServerTurnsAwayTheFirstCallsThenServesAsUsual)
{
    enum class Step { Names, Invoke };
    struct Case {
        const wchar_t* setting;
        DWORD count;
        std::vector<std::pair<Step, HRESULT>> steps;
        std::vector<std::string> busyLines;
    };
    const Case cases[] = {
        // A call turned away never reaches the object, so the Invoke needs no real DISPID.
        {standin::kRejectCallsValue,
         3,
         {{Step::Names, RPC_E_CALL_REJECTED},
          {Step::Names, RPC_E_CALL_REJECTED},
          {Step::Invoke, RPC_E_CALL_REJECTED},
          {Step::Names, S_OK},
          {Step::Invoke, S_OK}},
         {"busy IDispatch.GetIDsOfNames", "busy IDispatch.GetIDsOfNames", "busy IDispatch.Invoke"}},
        {standin::kRetryLaterInvokesValue,
         2,
         {{Step::Names, S_OK},
          {Step::Invoke, RPC_E_SERVERCALL_RETRYLATER},
          {Step::Invoke, RPC_E_SERVERCALL_RETRYLATER},
          {Step::Invoke, S_OK}},
         {"busy invoke Application.Workbooks", "busy invoke Application.Workbooks"}},
    };
    const std::vector<std::string> normalRun = {
        "start",
        "create Application",
        "names Application.Workbooks lcid=0400",
        "invoke Application.Workbooks get lcid=0800 args=[] named=[]",
        "release Workbooks",
        "names Application.Quit lcid=0400",
        "invoke Application.Quit method lcid=0800 args=[] named=[]",
        "release Application",
        "exit",
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.setting));
        TearDown();
        SetUp();
        SetNumber(standin::kSettingsKey, c.setting, c.count);

        IDispatch* application = nullptr;
        ASSERT_EQ(StartExcel(&application), S_OK);
        DISPID id = DISPID_UNKNOWN;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            VARIANT workbooks;
            VariantInit(&workbooks);
            const HRESULT hr = c.steps[i].first == Step::Names
                                   ? IdOf(application, L"Workbooks", &id)
                                   : Call(application, id, DISPATCH_PROPERTYGET, &workbooks);
            VariantClear(&workbooks);
            EXPECT_EQ(hr, c.steps[i].second) << "step " << i;
        }
        DISPID quit = DISPID_UNKNOWN;
        EXPECT_EQ(IdOf(application, L"Quit", &quit), S_OK);
        EXPECT_EQ(Call(application, quit, DISPATCH_METHOD, nullptr), S_OK);
        application->Release();
        EXPECT_TRUE(WaitUntilNoProcessNamed(kServerExe, kTimeoutMs));

        std::vector<std::string> busy;
        std::vector<std::string> rest;
        for (const std::string& line : CallLog()) {
            (line.rfind("busy ", 0) == 0 ? busy : rest).push_back(line);
        }
        EXPECT_EQ(busy, c.busyLines);
        EXPECT_EQ(rest, normalRun);
    }
}

// The blocked client runs in a process of its own: Wine keeps a
// CoCreateInstance waiting for about 30 s even after the server is killed,
// and a waiting thread here could take the class object of a later test.
TEST_F(StandIn, AStuckServerKeepsItsClientWaiting)
{
    struct Case {
        const char* what;
        const wchar_t* setting;
        const wchar_t* member;  // the REG_SZ value; none for a REG_DWORD 1
        std::vector<std::string> logTail;
    };
    const Case cases[] = {
        {"hangs in a call",
         standin::kHangInValue,
         L"Application.Workbooks",
         {"invoke Application.Workbooks get lcid=0800 args=[] named=[]",
          "hang Application.Workbooks"}},
        {"never registers", standin::kNeverRegisterValue, nullptr, {"start"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.member != nullptr) {
            SetString(standin::kSettingsKey, c.setting, c.member);
        } else {
            SetNumber(standin::kSettingsKey, c.setting, 1);
        }

        HANDLE client = StartProcess(QuoteArgument(InFolder(L"standin-client.exe")));
        ASSERT_NE(client, nullptr);
        const DWORD start = GetTickCount();
        std::vector<std::string> log = CallLog();
        while ((log.empty() || log.back() != c.logTail.back()) &&
               GetTickCount() - start < kTimeoutMs) {
            Sleep(50);
            log = CallLog();
        }
        EXPECT_EQ(WaitForSingleObject(client, 1500), static_cast<DWORD>(WAIT_TIMEOUT));
        log.erase(log.begin(), log.end() - std::min(log.size(), c.logTail.size()));
        EXPECT_EQ(log, c.logTail);
        TerminateProcessesNamed(kServerExe);
        TerminateProcess(client, 97);
        CloseHandle(client);
    }
}

TEST_F(StandIn, PretendingToRunPutsBackTheStatesItFoundWhenItEnds)
{
    struct Case {
        const char* what;
        const wchar_t* seconds;
        bool closeWindow;
    };
    // Long enough that the states below change while it still runs, even on
    // a loaded machine.
    for (const Case& c : {Case{"window closed", L"60", true}, Case{"time is up", L"3", false}}) {
        SCOPED_TRACE(c.what);
        SetNumber(standin::kAddInStateKey, L"C:\\Installed.xlam", 1);
        SetNumber(standin::kAddInStateKey, L"C:\\Removed.xlam", 0);

        HANDLE excel =
            StartProcess(QuoteArgument(InFolder(kServerExe)) + L" /pretend-running " + c.seconds);
        ASSERT_NE(excel, nullptr);
        HWND window = FindWindowW(L"XLMAIN", nullptr);
        const DWORD start = GetTickCount();
        while (window == nullptr && GetTickCount() - start < kTimeoutMs) {
            Sleep(20);
            window = FindWindowW(L"XLMAIN", nullptr);
        }
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window));
        SetNumber(standin::kAddInStateKey, L"C:\\Installed.xlam", 0);
        SetNumber(standin::kAddInStateKey, L"C:\\Removed.xlam", 1);
        if (c.closeWindow) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }

        EXPECT_EQ(WaitForSingleObject(excel, kTimeoutMs), WAIT_OBJECT_0);
        DWORD exitCode = 99;
        GetExitCodeProcess(excel, &exitCode);
        CloseHandle(excel);
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(StoredState(L"C:\\Installed.xlam"), 1u);
        EXPECT_EQ(StoredState(L"C:\\Removed.xlam"), 0u);
        EXPECT_EQ(FindWindowW(L"XLMAIN", nullptr), nullptr);
        EXPECT_EQ(ReadFileBytes(m_log), "");
    }
}

TEST_F(StandIn, PretendingToRunNeedsAWholeNumberOfSeconds)
{
    for (const wchar_t* seconds : {L"", L" \"\"", L" -1", L" 2s", L" 1.5"}) {
        SCOPED_TRACE(ToUtf8(seconds));
        EXPECT_EQ(RunStandIn(std::wstring(L"/pretend-running") + seconds), 2u);
        EXPECT_NE(ReadFileBytes(m_output).find("/pretend-running <seconds>"), std::string::npos);
    }
}

}  // namespace
