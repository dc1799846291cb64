// What the end-to-end tests share: running the real uninstall-addin.exe
// against the stand-in Excel, and reading what it left behind.
#pragma once

#include "box_recorder.h"
#include "child_process.h"
#include "standin_ids.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline constexpr wchar_t kServerExe[] = L"excel-standin.exe";
inline constexpr wchar_t kWorkFolder[] = L"C:\\uninstall-addin-tests";
inline constexpr DWORD kRunTimeoutMs = 60000;

struct RunResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    ULONGLONG elapsedMs = 0;
    std::string output;              // standard output
    std::string errors;              // standard error
    std::vector<std::string> boxes;  // "<caption>: <text>" each
    std::vector<RecordedBox> boxDetails;
};

std::wstring InWorkFolder(const wchar_t* name);
void CreateEmptyFile(const std::wstring& path);
void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value,
               HKEY root = HKEY_CURRENT_USER);
void SetNumber(const wchar_t* key, const wchar_t* name, DWORD value);
// Makes the stand-in fail calls of member ("Object.Member") with code.
void FailCall(const wchar_t* member, DWORD code);

// A registry value as stored: name, type and bytes.
struct RegValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
bool operator==(const RegValue& a, const RegValue& b);
void PrintTo(const RegValue& value, std::ostream* out);

// A REG_SZ value with its terminating null, as Windows writes text.
RegValue TextValue(const std::wstring& name, const std::wstring& text);
RegValue NumberValue(const std::wstring& name, DWORD number);
// The values OPEN, OPEN1, ... holding these texts, in this order.
std::vector<RegValue> OpenValues(const std::vector<std::wstring>& texts);
// Makes the HKEY_CURRENT_USER key hold these values and no others.
void ReplaceValues(const wchar_t* key, const std::vector<RegValue>& values);
// An older Excel's keys, which often stay after an upgrade.
inline constexpr wchar_t kOldOptionsKey[] = L"Software\\Microsoft\\Office\\14.0\\Excel\\Options";
inline constexpr wchar_t kOldAddInManagerKey[] =
    L"Software\\Microsoft\\Office\\14.0\\Excel\\Add-in Manager";

// values in the order ValuesOf gives them.
std::vector<RegValue> SortedByName(std::vector<RegValue> values);
// Every value of the key (of HKEY_CURRENT_USER unless root says otherwise),
// sorted by name.
std::vector<RegValue> ValuesOf(const wchar_t* key, HKEY root = HKEY_CURRENT_USER);
// %APPDATA%\Microsoft\AddIns, where a bare file name in an OPEN value is.
std::wstring UserAddInsFolder();

// Removes the stand-in's settings and Excel's keys, as on a machine where
// neither has run.
void ForgetExcelState();

// Whether the add-in is installed as Excel keeps it: true while an OPEN...
// value names it, false while only an "Add-in Manager" value does.
std::optional<bool> StoredInstalled(const std::wstring& path);

std::vector<std::string> Lines(const std::string& text);
std::vector<std::string> LastLines(const std::vector<std::string>& lines, size_t count);
std::vector<std::string> Joined(std::vector<std::string> lines,
                                const std::vector<std::string>& more);
// lines without those that start with prefix.
std::vector<std::string> Without(const std::vector<std::string>& lines, const std::string& prefix);
size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// What the stand-in logs when the add-in at path is added.
std::string AddInvocation(const std::wstring& path);
// How every run that gets as far as telling Excel to quit ends.
std::vector<std::string> QuitAndReleaseLines();
// The whole conversation of a run that uninstalls the add-in at path.
std::vector<std::string> UninstallConversation(const std::wstring& path);

// The boxes of failed calls, without the boxes that name their codes.
std::vector<std::string> AutoWrapBoxes(const std::vector<std::string>& boxes);
// "AutoWrap(): IDispatch::Invoke("<name>"=<8 hex digits>) failed w/err 0x<code>"
bool IsInvokeFailureBox(const std::string& box, const std::string& name, const char* code);

class UninstallRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    DWORD Server(const wchar_t* arguments);
    // Appends an OPEN... value naming the add-in, as Excel writes it.
    void InstallAddIn(const std::wstring& path);

    // Runs the program with a command line tail as given (already quoted);
    // boxes are answered by answer, or with their default button.
    RunResult Uninstall(const std::wstring& arguments, BoxAnswer answer = nullptr);
    RunResult UninstallSample() { return Uninstall(QuoteArgument(m_addIn)); }

    std::vector<std::string> CallLog() const { return Lines(ReadFileBytes(m_log)); }
    std::string ProgressLine() const { return "Uninstalling " + ToUtf8(m_addIn) + "\r\n"; }
    // Every run waits for the Excel it started to end, or ends it, before
    // it returns: none may be left behind.
    static bool ServerGone() { return ProcessesNamed(kServerExe).empty(); }

    const std::wstring m_log = InWorkFolder(L"calls.log");
    // The folder the program runs in; empty: the test's own.
    std::wstring m_runFolder;
    const std::wstring m_addIn = InWorkFolder(L"Sample.xlam");
};
