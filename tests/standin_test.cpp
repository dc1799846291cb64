// The stand-in's busy, stuck and already-running Excel, and the list of
// add-ins it keeps where Excel keeps it, checked with a minimal client of
// its own or the real program, so the end-to-end tests can rely on them.

#include "standin_client.h"
#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 10000;

constexpr wchar_t kMainWindowClass[] = L"XLMAIN";

BOOL CALLBACK CollectMainWindow(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, kMainWindowClass) == 0) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

// The Excel main windows of the stand-in's processes.
std::vector<HWND> StandInMainWindows()
{
    std::vector<HWND> all;
    EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&all));
    const std::vector<DWORD> standIns = ProcessesNamed(kServerExe);
    std::vector<HWND> theirs;
    for (HWND window : all) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (std::find(standIns.begin(), standIns.end(), process) != standIns.end()) {
            theirs.push_back(window);
        }
    }
    return theirs;
}

std::vector<HWND> WaitForStandInMainWindow(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    std::vector<HWND> windows = StandInMainWindows();
    while (windows.empty() && GetTickCount() - start < timeoutMs) {
        Sleep(20);
        windows = StandInMainWindows();
    }
    return windows;
}

std::vector<RegValue> With(std::vector<RegValue> values, const std::vector<RegValue>& more)
{
    values.insert(values.end(), more.begin(), more.end());
    return values;
}

// Add-in Manager values: each a full path with empty data.
std::vector<RegValue> Listed(const std::vector<std::wstring>& paths)
{
    std::vector<RegValue> values;
    for (const std::wstring& path : paths) {
        values.push_back(TextValue(path, L""));
    }
    return SortedByName(values);
}

HRESULT CallWith(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* argument,
                 VARIANT* result)
{
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = IdOf(object, name, &id);
    if (FAILED(hr)) {
        return hr;
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params = {argument, flags == DISPATCH_PROPERTYPUT ? &putId : nullptr,
                         argument ? 1u : 0u, flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, result, nullptr,
                          nullptr);
}

IDispatch* ObjectOf(IDispatch* object, const wchar_t* name, WORD flags)
{
    VARIANT result;
    VariantInit(&result);
    if (object == nullptr || FAILED(CallWith(object, name, flags, nullptr, &result)) ||
        result.vt != VT_DISPATCH) {
        VariantClear(&result);
        return nullptr;
    }
    return result.pdispVal;
}

// The stand-in's client in this process, as the program is Excel's: Excel
// started with a workbook open, its add-ins at hand; at the end told to
// quit and let go of.
class ExcelClient {
public:
    ExcelClient()
    {
        EXPECT_EQ(StartExcel(&m_application), S_OK);
        m_workbooks = ObjectOf(m_application, L"Workbooks", DISPATCH_PROPERTYGET);
        m_workbook = ObjectOf(m_workbooks, L"Add", DISPATCH_METHOD);
        m_addIns = ObjectOf(m_application, L"AddIns", DISPATCH_PROPERTYGET);
        EXPECT_NE(m_addIns, nullptr);
    }

    ~ExcelClient()
    {
        if (m_application != nullptr) {
            EXPECT_EQ(CallWith(m_application, L"Quit", DISPATCH_METHOD, nullptr, nullptr), S_OK);
        }
        for (IDispatch* object : {m_addIns, m_workbook, m_workbooks, m_application}) {
            if (object != nullptr) {
                object->Release();
            }
        }
    }

    ExcelClient(const ExcelClient&) = delete;
    ExcelClient& operator=(const ExcelClient&) = delete;

    // The add-in AddIns.Add gives back for the path; the caller releases it.
    HRESULT Add(const std::wstring& path, IDispatch** addIn)
    {
        *addIn = nullptr;
        if (m_addIns == nullptr) {
            return E_POINTER;
        }
        VARIANT filename;
        filename.vt = VT_BSTR;
        filename.bstrVal = SysAllocString(path.c_str());
        VARIANT result;
        VariantInit(&result);
        const HRESULT hr = CallWith(m_addIns, L"Add", DISPATCH_METHOD, &filename, &result);
        VariantClear(&filename);
        if (result.vt == VT_DISPATCH) {
            *addIn = result.pdispVal;
        } else {
            VariantClear(&result);
        }
        return hr;
    }

private:
    IDispatch* m_application = nullptr;
    IDispatch* m_workbooks = nullptr;
    IDispatch* m_workbook = nullptr;
    IDispatch* m_addIns = nullptr;
};

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
        ForgetExcelState();
        ASSERT_EQ(RunStandIn(L"/regserver"), 0u);
        DeleteFileW(m_log.c_str());
        SetString(standin::kSettingsKey, standin::kCallLogValue, m_log);
        m_com = SUCCEEDED(CoInitialize(nullptr));
        ASSERT_TRUE(m_com);
    }

    void TearDown() override
    {
        TerminateProcessesNamed(kServerExe);
        ForgetExcelState();
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

// A user's own Excel writes back the list it read at its start, undoing the
// change made meanwhile; another program's hidden Excel leaves it be.
TEST_F(StandIn, PretendingToRunShowsAMainWindowAndPutsTheListBackWhenItEnds)
{
    struct Case {
        const char* what;
        const wchar_t* arguments;
        bool closeWindow;
        bool visible;
    };
    // Long enough that the list below changes while it still runs, even on a
    // loaded machine.
    const Case cases[] = {
        {"running, window closed", L"/pretend-running 60", true, true},
        {"running, time is up", L"/pretend-running 3", false, true},
        {"hidden, window closed", L"/pretend-hidden 60", true, false},
        {"hidden, time is up", L"/pretend-hidden 3", false, false},
    };
    const std::vector<RegValue> installed = OpenValues({L"C:\\Installed.xlam"});
    const std::vector<RegValue> removed = Listed({L"C:\\Removed.xlam"});
    const std::vector<RegValue> changedOptions = OpenValues({L"C:\\Removed.xlam"});
    const std::vector<RegValue> changedManager = Listed({L"C:\\Installed.xlam"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReplaceValues(standin::kOptionsKey, installed);
        ReplaceValues(standin::kAddInManagerKey, removed);

        HANDLE excel = StartProcess(QuoteArgument(InFolder(kServerExe)) + L" " + c.arguments);
        ASSERT_NE(excel, nullptr);
        const std::vector<HWND> windows = WaitForStandInMainWindow(kTimeoutMs);
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_EQ(IsWindowVisible(windows[0]) != FALSE, c.visible);
        ReplaceValues(standin::kOptionsKey, changedOptions);
        ReplaceValues(standin::kAddInManagerKey, changedManager);
        if (c.closeWindow) {
            PostMessageW(windows[0], WM_CLOSE, 0, 0);
        }

        EXPECT_EQ(WaitForSingleObject(excel, kTimeoutMs), WAIT_OBJECT_0);
        DWORD exitCode = 99;
        GetExitCodeProcess(excel, &exitCode);
        CloseHandle(excel);
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), c.visible ? installed : changedOptions);
        EXPECT_EQ(ValuesOf(standin::kAddInManagerKey), c.visible ? removed : changedManager);
        EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), nullptr);
        EXPECT_EQ(ReadFileBytes(m_log), "");
    }
}

TEST_F(StandIn, PretendingNeedsAWholeNumberOfSeconds)
{
    for (const wchar_t* command : {L"/pretend-running", L"/pretend-hidden"}) {
        for (const wchar_t* seconds : {L"", L" \"\"", L" -1", L" 2s", L" 1.5"}) {
            SCOPED_TRACE(ToUtf8(command + std::wstring(seconds)));
            EXPECT_EQ(RunStandIn(command + std::wstring(seconds)), 2u);
            EXPECT_NE(ReadFileBytes(m_output).find(ToUtf8(command) + " <seconds>"),
                      std::string::npos);
        }
    }
}

// Excel under automation has a main window that nobody sees, for as long as
// it serves.
TEST_F(StandIn, ServesWithAHiddenMainWindow)
{
    {
        ExcelClient client;
        const std::vector<HWND> windows = StandInMainWindows();
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_FALSE(IsWindowVisible(windows[0]));
    }
    EXPECT_TRUE(WaitUntilNoProcessNamed(kServerExe, kTimeoutMs));
    EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), nullptr);
}

// COM starts Excel in the system folder, not in its client's, so a path
// that means something only in the client's folder finds nothing.
TEST_F(StandIn, DoesNotLookForFilesInItsClientsFolder)
{
    const std::wstring inWorkFolder = InWorkFolder(L"Relative.xlam");
    CreateEmptyFile(inWorkFolder);
    wchar_t clientFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, clientFolder);
    ASSERT_TRUE(SetCurrentDirectoryW(kWorkFolder));
    {
        ExcelClient client;
        IDispatch* addIn = nullptr;
        EXPECT_EQ(client.Add(L"Relative.xlam", &addIn), DISP_E_EXCEPTION);
        EXPECT_EQ(addIn, nullptr);
        EXPECT_EQ(client.Add(inWorkFolder, &addIn), S_OK);
        if (addIn != nullptr) {
            addIn->Release();
        }
    }
    SetCurrentDirectoryW(clientFolder);
}

// What AddIns.Add finds in the list Excel read at its start, and what
// Excel writes back after Installed was set.
TEST_F(StandIn, AClientFindsAndChangesTheListedAddIns)
{
    const std::wstring other = L"C:\\Elsewhere\\Other.xla";
    struct Case {
        const char* what;
        std::vector<RegValue> options;
        std::vector<std::wstring> listed;
        std::wstring path;  // the file is made in the work folder
        bool installedAtStart;
        bool install;
        std::vector<RegValue> optionsAfter;
        std::vector<std::wstring> listedAfter;
    };
    const std::wstring ticked = InWorkFolder(L"Ticked.xlam");
    const std::wstring unticked = InWorkFolder(L"Unticked.xlam");
    const std::wstring xll = InWorkFolder(L"my calc.xll");
    const std::wstring fresh = InWorkFolder(L"New.xlam");
    const std::wstring late = InWorkFolder(L"Late.xlam");
    const Case cases[] = {
        {"installed, named in another case, stays in its place",
         OpenValues({ticked, other}),
         {},
         InWorkFolder(L"TICKED.xlam"),
         true,
         true,
         OpenValues({ticked, other}),
         {}},
        {"listed, installed, goes last",
         OpenValues({other}),
         {unticked},
         unticked,
         false,
         true,
         OpenValues({other, unticked}),
         {}},
        {"new .xll with a blank, installed",
         OpenValues({other}),
         {},
         xll,
         false,
         true,
         OpenValues({other, L"/R \"" + xll + L"\""}),
         {}},
        {"new, not installed, listed",
         OpenValues({other}),
         {},
         fresh,
         false,
         false,
         OpenValues({other}),
         {fresh}},
        // Excel reads no further than the first gap, and writes a dense list.
        {"named after a gap",
         {TextValue(L"OPEN", other), TextValue(L"OPEN2", late)},
         {},
         late,
         false,
         false,
         OpenValues({other}),
         {late}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        CreateEmptyFile(c.path);
        ReplaceValues(standin::kOptionsKey, c.options);
        ReplaceValues(standin::kAddInManagerKey, Listed(c.listed));
        {
            ExcelClient client;
            IDispatch* addIn = nullptr;
            ASSERT_EQ(client.Add(c.path, &addIn), S_OK);
            VARIANT installed;
            VariantInit(&installed);
            EXPECT_EQ(CallWith(addIn, L"Installed", DISPATCH_PROPERTYGET, nullptr, &installed),
                      S_OK);
            EXPECT_EQ(installed.vt, VT_BOOL);
            EXPECT_EQ(installed.boolVal != VARIANT_FALSE, c.installedAtStart);
            VARIANT install;
            install.vt = VT_BOOL;
            install.boolVal = c.install ? VARIANT_TRUE : VARIANT_FALSE;
            EXPECT_EQ(CallWith(addIn, L"Installed", DISPATCH_PROPERTYPUT, &install, nullptr), S_OK);
            addIn->Release();
        }
        EXPECT_TRUE(WaitUntilNoProcessNamed(kServerExe, kTimeoutMs));
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), SortedByName(c.optionsAfter));
        EXPECT_EQ(ValuesOf(standin::kAddInManagerKey), Listed(c.listedAfter));
    }
}

// The switches the demo and the benchmark use change the list as an Excel
// started and quit meanwhile would have.
TEST_F(StandIn, SetsAndShowsAnAddInsStateOnExcelsList)
{
    const std::wstring a = L"/A Contoso.Functions";
    const std::wstring x = InWorkFolder(L"X.xlam");
    const std::wstring b = L"/R \"C:\\Add-ins\\Other Calc.xll\"";
    struct Step {
        const wchar_t* state;
        std::vector<std::wstring> openAfter;
        std::vector<std::wstring> listedAfter;
        const char* shown;
    };
    const Step steps[] = {
        {L"0", {a, b}, {x}, "not installed"},
        {L"0", {a, b}, {x}, "not installed"},
        {L"1", {a, b, x}, {}, "installed"},
        {L"1", {a, b, x}, {}, "installed"},
    };
    ReplaceValues(standin::kOptionsKey, OpenValues({a, x, b}));
    for (const Step& step : steps) {
        SCOPED_TRACE(ToUtf8(step.state));
        EXPECT_EQ(RunStandIn(L"/set-installed " + QuoteArgument(x) + L" " + step.state), 0u);
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues(step.openAfter));
        EXPECT_EQ(ValuesOf(standin::kAddInManagerKey), Listed(step.listedAfter));
        EXPECT_EQ(RunStandIn(L"/show-installed " + QuoteArgument(x)), 0u);
        EXPECT_EQ(ReadFileBytes(m_output), ToUtf8(x) + ": " + step.shown + "\n");
    }
}

TEST_F(StandIn, RegistersItsVersionAsExcelDoes)
{
    wchar_t curVer[64] = {};
    DWORD size = sizeof curVer;
    const std::wstring curVerKey = std::wstring(standin::kProgId) + L"\\CurVer";
    EXPECT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, curVerKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                           curVer, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(curVer, standin::kVersionedProgId);
    CLSID expected = {};
    ASSERT_EQ(CLSIDFromString(standin::kClsid, &expected), S_OK);
    CLSID registered = {};
    EXPECT_EQ(CLSIDFromProgID(standin::kVersionedProgId, &registered), S_OK);
    EXPECT_TRUE(IsEqualCLSID(registered, expected));

    // As a 32-bit Office on 64-bit Windows: the class in the 32-bit view only.
    const std::wstring serverKey = std::wstring(L"CLSID\\") + standin::kClsid + L"\\LocalServer32";
    const std::wstring machineKey = L"Software\\Classes\\" + serverKey;
    const auto found = [](HKEY root, const std::wstring& path, REGSAM view) {
        HKEY key = nullptr;
        const LSTATUS status = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key);
        if (status == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
        return status == ERROR_SUCCESS;
    };
    ASSERT_EQ(RunStandIn(L"/regserver32"), 0u);
    EXPECT_FALSE(found(HKEY_CLASSES_ROOT, serverKey, 0));
    EXPECT_TRUE(found(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_32KEY));

    ASSERT_EQ(RunStandIn(L"/unregserver"), 0u);
    EXPECT_FALSE(found(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_32KEY));
    EXPECT_NE(CLSIDFromProgID(standin::kVersionedProgId, &registered), S_OK);
    EXPECT_NE(RegGetValueW(HKEY_CLASSES_ROOT, curVerKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                           curVer, &size),
              ERROR_SUCCESS);
}

TEST(StandInImage, SaysItIsExcel16)
{
    const std::wstring path = ExecutableFolder() + kServerExe;
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    void* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", &fixed, &size));
    ASSERT_EQ(size, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS, MAKELONG(0, 16));
    EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwProductVersionMS, MAKELONG(0, 16));
}

// Excel's list [A, X, B] in the forms it takes, with some of Excel's own
// settings beside it; the program uninstalls X.
TEST_F(UninstallRun, UninstallingLeavesExcelsListAsExcelWritesIt)
{
    const RegValue a = TextValue(L"OPEN", L"/A Contoso.Functions");
    // With a second null after the text, as some installers write it; Wine
    // adds the first when it is missing.
    RegValue b = TextValue(L"OPEN2", L"/R \"C:\\Add-ins\\Other Calc.xll\"");
    b.data.resize(b.data.size() + sizeof(wchar_t));
    const std::vector<RegValue> settings = {
        NumberValue(L"Options", 0x1e4),
        TextValue(L"Pos", L"(10,20,800,600)"),
        TextValue(L"OPENED", L"C:\\Not An Add-in.xla"),
    };
    const std::wstring unticked = L"C:\\Add-ins\\Unticked.xlam";
    struct Case {
        const char* what;
        std::wstring stored;      // the data of X's OPEN1 value
        std::wstring path;        // the file the program is given
        const wchar_t* listedAs;  // X's Add-in Manager value; null: none
        bool keepInstalled;
    };
    const std::wstring salesTools = InWorkFolder(L"Sales Tools.xlam");
    const std::wstring calc = InWorkFolder(L"calc.xll");
    const std::wstring bare = UserAddInsFolder() + L"\\Bare.xlam";
    const Case cases[] = {
        {"quoted, with a blank", L"\"" + salesTools + L"\"", salesTools, salesTools.c_str(), false},
        {"read-only .xll", L"/R " + calc, calc, calc.c_str(), false},
        {"fast-load, in capitals", L"/F C:\\UNINSTALL-ADDIN-TESTS\\OLD.XLA",
         InWorkFolder(L"Old.xla"), L"C:\\UNINSTALL-ADDIN-TESTS\\OLD.XLA", false},
        {"bare name in the add-ins folder", L"Bare.xlam", bare, nullptr, false},
        {"an Excel that keeps it", L"\"" + salesTools + L"\"", salesTools, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        CreateDirectoryW(UserAddInsFolder().c_str(), nullptr);
        CreateEmptyFile(c.path);
        const RegValue x = TextValue(L"OPEN1", c.stored);
        std::vector<RegValue> options = With(settings, {a, x, b});
        ReplaceValues(standin::kOptionsKey, options);
        ReplaceValues(standin::kAddInManagerKey, Listed({unticked}));
        if (c.keepInstalled) {
            SetNumber(standin::kSettingsKey, standin::kKeepInstalledOnExitValue, 1);
        }

        const RunResult run = Uninstall(QuoteArgument(c.path));

        // The program sees that Excel kept it, and says so.
        EXPECT_EQ(run.exitCode, c.keepInstalled ? 2u : 0u);
        EXPECT_TRUE(ServerGone());
        if (!c.keepInstalled) {
            options = With(settings, {a, {L"OPEN1", b.type, b.data}});
        }
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), SortedByName(options));
        std::vector<std::wstring> listed = {unticked};
        if (c.listedAs != nullptr) {
            listed.push_back(c.listedAs);
        }
        EXPECT_EQ(ValuesOf(standin::kAddInManagerKey), Listed(listed));
        std::optional<bool> installed;
        if (c.keepInstalled || c.listedAs != nullptr) {
            installed = c.keepInstalled;
        }
        EXPECT_EQ(StoredInstalled(c.path), installed);
        DeleteFileW(c.path.c_str());
        TearDown();
    }
}

}  // namespace
