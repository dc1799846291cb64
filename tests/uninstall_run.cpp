#include "uninstall_run.h"

#include <algorithm>
#include <regex>

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

void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value, HKEY root)
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

void FailCall(const wchar_t* member, DWORD code)
{
    SetString(standin::kSettingsKey, standin::kFailCallValue, member);
    SetNumber(standin::kSettingsKey, standin::kFailHResultValue, code);
}

bool operator==(const RegValue& a, const RegValue& b)
{
    return a.name == b.name && a.type == b.type && a.data == b.data;
}

void PrintTo(const RegValue& value, std::ostream* out)
{
    *out << ToUtf8(value.name) << " (type " << value.type << ") =";
    for (const BYTE byte : value.data) {
        *out << ' ' << static_cast<int>(byte);
    }
}

RegValue TextValue(const std::wstring& name, const std::wstring& text)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {name, REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

RegValue NumberValue(const std::wstring& name, DWORD number)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {name, REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof number)};
}

static std::wstring OpenName(size_t place)
{
    return place == 0 ? L"OPEN" : L"OPEN" + std::to_wstring(place);
}

std::vector<RegValue> OpenValues(const std::vector<std::wstring>& texts)
{
    std::vector<RegValue> values;
    for (size_t i = 0; i < texts.size(); ++i) {
        values.push_back(TextValue(OpenName(i), texts[i]));
    }
    return values;
}

void ReplaceValues(const wchar_t* key, const std::vector<RegValue>& values)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
    for (const RegValue& value : values) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, value.name.c_str(), value.type,
                                  value.data.data(), static_cast<DWORD>(value.data.size())),
                  ERROR_SUCCESS)
            << ToUtf8(value.name);
    }
}

std::vector<RegValue> ValuesOf(const wchar_t* key, HKEY root)
{
    std::vector<RegValue> values;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[1024];
        DWORD nameLength = 1024;
        RegValue value;
        value.data.resize(65536);
        DWORD size = static_cast<DWORD>(value.data.size());
        if (RegEnumValueW(opened, i, name, &nameLength, nullptr, &value.type, value.data.data(),
                          &size) != ERROR_SUCCESS) {
            break;
        }
        value.name.assign(name, nameLength);
        value.data.resize(size);
        values.push_back(value);
    }
    RegCloseKey(opened);
    return SortedByName(values);
}

std::vector<RegValue> SortedByName(std::vector<RegValue> values)
{
    std::sort(values.begin(), values.end(),
              [](const RegValue& a, const RegValue& b) { return a.name < b.name; });
    return values;
}

std::wstring UserAddInsFolder()
{
    wchar_t appData[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%APPDATA%", appData, MAX_PATH);
    return std::wstring(appData) + L"\\Microsoft\\AddIns";
}

void ForgetExcelState()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, standin::kSettingsKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office");
}

namespace {

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsOpenName(const std::wstring& name)
{
    return SameName(name.substr(0, 4), L"OPEN") &&
           name.find_first_not_of(L"0123456789", 4) == std::wstring::npos;
}

// The full path of the file an OPEN value's text names, for the forms the
// tests write: flags first, then the path, perhaps quoted or bare.
std::wstring FileIn(const RegValue& value)
{
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()),
                      value.data.size() / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));
    while (text.size() > 3 && text[0] == L'/' && text[2] == L' ') {
        text = text.substr(3);
    }
    if (text.size() > 1 && text.front() == L'"') {
        text = text.substr(1, text.find(L'"', 1) - 1);
    }
    return text.find(L'\\') == std::wstring::npos ? UserAddInsFolder() + L"\\" + text : text;
}

}  // namespace

std::optional<bool> StoredInstalled(const std::wstring& path)
{
    for (const RegValue& value : ValuesOf(standin::kOptionsKey)) {
        if (value.type == REG_SZ && IsOpenName(value.name) && SameName(FileIn(value), path)) {
            return true;
        }
    }
    for (const RegValue& value : ValuesOf(standin::kAddInManagerKey)) {
        if (SameName(value.name, path)) {
            return false;
        }
    }
    return std::nullopt;
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
    return count >= lines.size() ? lines
                                 : std::vector<std::string>(lines.end() - count, lines.end());
}

std::vector<std::string> Joined(std::vector<std::string> lines,
                                const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

std::vector<std::string> Without(const std::vector<std::string>& lines, const std::string& prefix)
{
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) != 0) {
            kept.push_back(line);
        }
    }
    return kept;
}

size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    return lines.size() - Without(lines, prefix).size();
}

std::string AddInvocation(const std::wstring& path)
{
    return "invoke AddIns.Add method lcid=0800 args=[BSTR:\"" + ToUtf8(path) + "\"] named=[]";
}

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

std::vector<std::string> UninstallConversation(const std::wstring& path)
{
    return Joined(
        {
            "start",
            "create Application",
            "names Application.Workbooks lcid=0400",
            "invoke Application.Workbooks get lcid=0800 args=[] named=[]",
            "names Workbooks.Add lcid=0400",
            "invoke Workbooks.Add method lcid=0800 args=[] named=[]",
            "names Application.AddIns lcid=0400",
            "invoke Application.AddIns get lcid=0800 args=[] named=[]",
            "names AddIns.Add lcid=0400",
            AddInvocation(path),
            "names AddIn.Installed lcid=0400",
            "invoke AddIn.Installed put lcid=0800 args=[BOOL:0] named=[-3]",
            "release AddIn",
            "release AddIns",
        },
        Joined(QuitAndReleaseLines(), {"exit"}));
}

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

bool IsInvokeFailureBox(const std::string& box, const std::string& name, const char* code)
{
    const std::regex pattern("AutoWrap\\(\\): IDispatch::Invoke\\(\"" + name +
                             "\"=[0-9a-f]{8}\\) failed w/err 0x" + code);
    return std::regex_match(box, pattern);
}

void UninstallRun::SetUp()
{
    TerminateProcessesNamed(kServerExe);
    CreateDirectoryW(kWorkFolder, nullptr);
    ForgetExcelState();
    ASSERT_EQ(Server(L"/regserver"), 0u);

    DeleteFileW(m_log.c_str());
    SetString(standin::kSettingsKey, standin::kCallLogValue, m_log);
    CreateEmptyFile(m_addIn);
    InstallAddIn(m_addIn);
}

void UninstallRun::TearDown()
{
    // A run that ended early leaves its Excel behind, holding references
    // that nobody will release.
    TerminateProcessesNamed(kServerExe);
    ForgetExcelState();
}

DWORD UninstallRun::Server(const wchar_t* arguments)
{
    const std::wstring line = QuoteArgument(ExecutableFolder() + kServerExe) + L" " + arguments;
    return RunProcess(line, InWorkFolder(L"server.txt"), kRunTimeoutMs).exitCode;
}

void UninstallRun::InstallAddIn(const std::wstring& path)
{
    size_t installed = 0;
    for (const RegValue& value : ValuesOf(standin::kOptionsKey)) {
        installed += IsOpenName(value.name);
    }
    const bool blank = path.find(L' ') != std::wstring::npos;
    const RegValue value = OpenValues(std::vector<std::wstring>(installed + 1)).back();
    SetString(standin::kOptionsKey, value.name.c_str(), blank ? L"\"" + path + L"\"" : path);
}

RunResult UninstallRun::Uninstall(const std::wstring& arguments, BoxAnswer answer)
{
    std::wstring line = QuoteArgument(ExecutableFolder() + L"uninstall-addin.exe");
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    const std::wstring outputPath = InWorkFolder(L"output.txt");
    const std::wstring errorPath = InWorkFolder(L"errors.txt");

    RunResult run;
    BoxRecorder recorder(std::move(answer));
    const ProcessOutcome outcome =
        RunProcess(line, outputPath, kRunTimeoutMs, errorPath, m_runFolder);
    if (outcome.exitCode == static_cast<DWORD>(-1) && outcome.launchError != 0) {
        ADD_FAILURE() << "the program could not be started: error " << outcome.launchError;
    }
    if (outcome.timedOut) {
        // Every run ends by itself well inside this limit; one that did not
        // leaves only the stand-in's side of the story to go on.
        std::string calls;
        for (const std::string& call : LastLines(CallLog(), 8)) {
            calls += "\n  " + call;
        }
        ADD_FAILURE() << "the program did not end within " << kRunTimeoutMs / 1000
                      << " s and was ended; the stand-in's last calls:" << calls;
    }
    run.exitCode = outcome.exitCode;
    run.timedOut = outcome.timedOut;
    run.elapsedMs = outcome.elapsedMs;
    run.output = ReadFileBytes(outputPath);
    run.errors = ReadFileBytes(errorPath);
    run.boxes = recorder.Texts();
    run.boxDetails = recorder.Boxes();
    return run;
}
