// /registry and /allusers: the add-in taken out of Excel's lists in the
// registry, for this user or for every user of the machine, with Excel
// registered but never started.

#include "pretend_excel.h"
#include "test_profiles.h"
#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <sddl.h>
#if HAVE_JSON_PARSER
#include <nlohmann/json.hpp>
#endif

#include <algorithm>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// How the runs name the user they run as: "<account> (<SID>)".
std::string ThisUser()
{
    wchar_t name[256] = {};
    DWORD length = 256;
    GetUserNameW(name, &length);
    return ToUtf8(name) + " (S-1-5-21-0-0-0-1000)";
}

std::vector<std::string> Sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

class RegistryRun : public UninstallRun {
protected:
    void SetUp() override
    {
        UninstallRun::SetUp();
        DeleteFileW(m_runLog.c_str());
    }

    RunResult Registry(const std::wstring& switches, const std::wstring& path)
    {
        return Uninstall(switches + L" /log:" + QuoteArgument(m_runLog) + L" " +
                         QuoteArgument(path));
    }

    // Excel was never asked anything.
    void ExpectExcelUntouched()
    {
        EXPECT_TRUE(CallLog().empty());
        EXPECT_TRUE(ServerGone());
    }

    std::vector<std::string> RunLog() const { return Lines(ReadFileBytes(m_runLog)); }

    const std::wstring m_runLog = InWorkFolder(L"run.log");
};

TEST_F(RegistryRun, TakesTheAddInOutFromAnyPlaceInEachStoredFormKeepingTheOthers)
{
    const std::wstring bare = UserAddInsFolder() + L"\\Tools.xll";
    struct Format {
        std::wstring stored;
        std::wstring path;  // as given on the command line
        bool listed;        // gets an Add-in Manager value; those in the add-ins folder don't
    };
    const Format formats[] = {
        {L"\"" + m_addIn + L"\"", m_addIn, true},
        {L"/R \"" + m_addIn + L"\"", m_addIn, true},
        {L"/F C:\\UNINSTALL-ADDIN-TESTS\\SAMPLE.XLAM", m_addIn, true},
        {m_addIn, L"c:\\Uninstall-Addin-Tests\\sample.xlam", true},
        {L" C:/uninstall-addin-tests/old/../Sample.xlam ", m_addIn, true},
        {L"/R Tools.xll", bare, false},
    };
    const std::vector<std::wstring> others = {L"\"C:\\Add-ins\\Sales Tools.xlam\"",
                                              L"/A Contoso.Functions", L"/R calc.xll"};
    for (const Format& format : formats) {
        for (const size_t place : {size_t{0}, size_t{2}, others.size()}) {
            SCOPED_TRACE(ToUtf8(format.stored) + " at " + std::to_string(place));
            SetUp();
            std::vector<std::wstring> list = others;
            list.insert(list.begin() + place, format.stored);
            std::vector<RegValue> options = OpenValues(list);
            options.push_back(TextValue(L"Font", L"Calibri,11"));
            options.push_back(NumberValue(L"DefSheets", 3));
            ReplaceValues(standin::kOptionsKey, options);
            RegDeleteTreeW(HKEY_CURRENT_USER, standin::kAddInManagerKey);

            const RunResult run = Registry(L"/registry /quiet", format.path);

            EXPECT_EQ(run.exitCode, 0u) << run.errors;
            EXPECT_EQ(run.output,
                      ThisUser() + ": removed \"" +
                          ToUtf8(place == 0 ? L"OPEN" : L"OPEN" + std::to_wstring(place)) +
                          "\" under Excel 16.0\r\n");
            std::vector<RegValue> kept = OpenValues(others);
            kept.push_back(TextValue(L"Font", L"Calibri,11"));
            kept.push_back(NumberValue(L"DefSheets", 3));
            EXPECT_EQ(ValuesOf(standin::kOptionsKey), SortedByName(kept));
            // Named by its full path, as given.
            const std::vector<RegValue> listed =
                format.listed ? std::vector<RegValue>{TextValue(format.path, L"")}
                              : std::vector<RegValue>{};
            EXPECT_EQ(ValuesOf(standin::kAddInManagerKey), listed);
            ExpectExcelUntouched();
            TearDown();
        }
    }
}

TEST_F(RegistryRun, CoversEveryExcelVersionOfTheUser)
{
    // A value's data can't forge a line of the log.
    const std::wstring b = L"B.xlam\r\n2026-01-01T00:00:00.000+00:00 end: exit status 0\x1b[8m";
    ReplaceValues(standin::kOptionsKey, OpenValues({L"A.xlam", m_addIn, b}));
    ReplaceValues(kOldOptionsKey, OpenValues({L"\"" + m_addIn + L"\"", L"C.xlam"}));

    const RunResult run = Registry(L"/registry", m_addIn);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(run.output, ThisUser() + ": removed \"OPEN1\" under Excel 16.0, \"OPEN\" under "
                                       "Excel 14.0\r\n");
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam", b}));
    EXPECT_EQ(ValuesOf(kOldOptionsKey), OpenValues({L"C.xlam"}));
    EXPECT_EQ(ValuesOf(standin::kAddInManagerKey), std::vector<RegValue>{TextValue(m_addIn, L"")});
    EXPECT_EQ(ValuesOf(kOldAddInManagerKey), std::vector<RegValue>{TextValue(m_addIn, L"")});
    ExpectExcelUntouched();

    // Every value removed or moved is in the log, with its data.
    const std::vector<std::string> log = RunLog();
    for (const std::string& wanted :
         {"removing: " + ThisUser() + " Excel 16.0 OPEN1 \"" + ToUtf8(m_addIn) + "\"",
          "moved: " + ThisUser() +
              " Excel 16.0 OPEN2 to OPEN1 \"B.xlam\\r\\n2026-01-01T00:00:00.000+00:00 end: exit "
              "status 0\\x1b[8m\"",
          "removing: " + ThisUser() + " Excel 14.0 OPEN \"\"" + ToUtf8(m_addIn) + "\"\"",
          "moved: " + ThisUser() + " Excel 14.0 OPEN1 to OPEN \"C.xlam\"",
          "result: " + ThisUser() +
              ": removed \"OPEN1\" under Excel 16.0, \"OPEN\" under Excel "
              "14.0"}) {
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [&](const std::string& line) {
                                    return line.size() > wanted.size() &&
                                           line.compare(line.size() - wanted.size(), wanted.size(),
                                                        wanted) == 0;
                                }),
                  1)
            << wanted;
    }
}

TEST_F(RegistryRun, AnAddInInstalledNowhereChangesNothing)
{
    const std::vector<RegValue> options = OpenValues({L"A.xlam", L"/R B.xll"});
    ReplaceValues(standin::kOptionsKey, options);
    RegDeleteTreeW(HKEY_CURRENT_USER, standin::kAddInManagerKey);

    const RunResult run = Registry(L"/registry /quiet", m_addIn);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, ThisUser() + ": not installed\r\n");
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), options);
    HKEY manager = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, standin::kAddInManagerKey, 0, KEY_READ, &manager),
              ERROR_FILE_NOT_FOUND);
    ExpectExcelUntouched();
}

TEST_F(RegistryRun, RemoveTakesItOffTheAddInsDialogToo)
{
    ReplaceValues(standin::kOptionsKey, OpenValues({m_addIn, L"A.xlam"}));
    ReplaceValues(standin::kAddInManagerKey,
                  {TextValue(L"C:\\Add-ins\\Other.xlam", L""),
                   TextValue(L"C:\\UNINSTALL-ADDIN-TESTS\\sample.xlam", L"")});
    ReplaceValues(kOldAddInManagerKey, {TextValue(m_addIn, L"")});

    const RunResult run = Registry(L"/registry /remove /quiet", m_addIn);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, ThisUser() + ": removed \"OPEN\" under Excel 16.0; taken off the "
                                       "Add-ins list under Excel 16.0, Excel 14.0\r\n");
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam"}));
    EXPECT_EQ(ValuesOf(standin::kAddInManagerKey),
              std::vector<RegValue>{TextValue(L"C:\\Add-ins\\Other.xlam", L"")});
    EXPECT_TRUE(ValuesOf(kOldAddInManagerKey).empty());
    ExpectExcelUntouched();
}

// An open Excel would write its old list back when it closes.
TEST_F(RegistryRun, WaitsForAnOpenExcelUnlessForced)
{
    const std::vector<RegValue> options = OpenValues({L"A.xlam", m_addIn});
    ReplaceValues(standin::kOptionsKey, options);
    PretendExcel usersExcel;

    const RunResult refused = Registry(L"/registry /quiet", m_addIn);

    EXPECT_EQ(refused.exitCode, 5u);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.errors, "uninstall-addin: Excel is running: close it and run this again\r\n");
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), options);

    const RunResult forced = Registry(L"/registry /force /quiet", m_addIn);

    EXPECT_EQ(forced.exitCode, 0u);
    EXPECT_EQ(forced.output, ThisUser() + ": removed \"OPEN1\" under Excel 16.0\r\n");
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam"}));
    EXPECT_TRUE(usersExcel.Running());
}

// Another run holding the turn at changing Excel's lists, as a run under
// Wine takes it (the administrators' mutex: Wine makes no private
// namespaces): held on a thread of its own until released, for a second, or
// until the thread ends without releasing it (abandoned). Or the name taken
// by another account, or by an object of another kind.
class OtherRun {
public:
    enum class Ends { WhenReleased, AfterASecond, WithoutReleasing, NotARun, AnEvent };

    explicit OtherRun(Ends ends)
    {
        constexpr wchar_t kName[] = L"Global\\uninstall-addin-lists";
        if (ends == Ends::AnEvent) {
            m_mutex = CreateEventW(nullptr, TRUE, FALSE, kName);
            return;
        }
        // As a run makes it, or as another account would, owning it itself.
        const wchar_t* security = ends == Ends::NotARun
                                      ? L"O:S-1-5-21-0-0-0-1000D:(A;;GA;;;WD)"
                                      : L"O:BAD:(A;;0x00120001;;;SY)(A;;0x00120001;;;BA)";
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
        ConvertStringSecurityDescriptorToSecurityDescriptorW(
            security, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr);
        m_mutex = CreateMutexW(&attributes, FALSE, kName);
        LocalFree(attributes.lpSecurityDescriptor);
        m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ends, held] {
            WaitForSingleObject(m_mutex, INFINITE);
            SetEvent(held);
            if (ends != Ends::WithoutReleasing) {
                WaitForSingleObject(m_stop, ends == Ends::AfterASecond ? 1000 : INFINITE);
                ReleaseMutex(m_mutex);
            }
        });
        WaitForSingleObject(held, INFINITE);
        CloseHandle(held);
        if (ends == Ends::WithoutReleasing) {
            m_thread.join();
        }
    }

    ~OtherRun()
    {
        SetEvent(m_stop);
        if (m_thread.joinable()) {
            m_thread.join();
        }
        CloseHandle(m_stop);
        CloseHandle(m_mutex);
    }

private:
    HANDLE m_mutex = nullptr;
    HANDLE m_stop = nullptr;
    std::thread m_thread;
};

// Runs on one machine change Excel's lists one at a time: a run waits for
// the other to finish, within its time limit, or changes nothing and asks
// to be tried again (5); a turn left by a run that died is taken over. A
// name that another account, or another kind of object, took is never taken
// for the turn: the run changes nothing and says why (6).
TEST_F(RegistryRun, TakesTurnsWithAnotherRunChangingTheLists)
{
    struct Case {
        OtherRun::Ends ends;
        const wchar_t* switches;
        DWORD exitCode;
        std::string logged;  // the run's log line about the turn
    };
    const std::string reserved = "Excel's add-in lists could not be reserved for this run: ";
    const Case cases[] = {
        {OtherRun::Ends::WhenReleased, L"/registry /quiet /timeout:2", 5,
         "waiting: another run is changing Excel's add-in lists (Global\\uninstall-addin-lists)"},
        {OtherRun::Ends::AfterASecond, L"/registry /quiet", 0,
         "waiting: another run is changing Excel's add-in lists (Global\\uninstall-addin-lists)"},
        {OtherRun::Ends::WithoutReleasing, L"/registry /quiet", 0,
         "taken over: Global\\uninstall-addin-lists, left held by a run that ended while "
         "changing Excel's add-in lists"},
        {OtherRun::Ends::NotARun, L"/registry /quiet /timeout:0", 6,
         reserved + "the mutex Global\\uninstall-addin-lists was made by another account "
                    "(S-1-5-21-0-0-0-1000), so it is no lock of this program's runs"},
        {OtherRun::Ends::AnEvent, L"/allusers /quiet", 6,
         reserved + "the name Global\\uninstall-addin-lists is taken by an object of another "
                    "kind"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.switches) + " -> " + std::to_string(c.exitCode));
        SetUp();
        const std::vector<RegValue> options = OpenValues({L"A.xlam", m_addIn});
        ReplaceValues(standin::kOptionsKey, options);
        RunResult run;
        {
            OtherRun other(c.ends);
            run = Registry(c.switches, m_addIn);
        }

        EXPECT_EQ(run.exitCode, c.exitCode) << run.errors;
        const std::vector<std::string> log = RunLog();
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [&](const std::string& line) {
                                    return line.find(c.logged) != std::string::npos;
                                }),
                  1)
            << c.logged;
        if (c.exitCode == 0) {
            EXPECT_EQ(run.output, ThisUser() + ": removed \"OPEN1\" under Excel 16.0\r\n");
            EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam"}));
        } else {
            EXPECT_EQ(run.output, "");
            EXPECT_EQ(run.errors,
                      "uninstall-addin: " +
                          (c.exitCode == 5 ? "Another run is changing Excel's add-in lists; "
                                             "nothing was changed, try again later"
                                           : c.logged) +
                          "\r\n");
            EXPECT_EQ(ValuesOf(standin::kOptionsKey), options);
        }
        if (c.exitCode == 5) {
            EXPECT_GE(run.elapsedMs, 1900u);
        }
        TearDown();
    }
}

// Profiles of other users, made as an administrator's machine has them.
class AllUsersRun : public RegistryRun {
protected:
    struct TestProfile {
        std::wstring name;
        std::wstring sid;
        std::vector<HiveValue> hive;              // none: no NTUSER.DAT at all
        bool garbage = false;                     // an NTUSER.DAT that is no hive
        const wchar_t* hiveFile = L"NTUSER.DAT";  // a mandatory profile's is NTUSER.MAN
        bool folderGone = false;                  // listed, but its folder deleted by hand
    };

    void SetUp() override
    {
        RegistryRun::SetUp();
        ASSERT_TRUE(EnableHivePrivileges());
        m_hivesBefore = LoadedHives();
    }

    void TearDown() override
    {
        if (m_loggedOn != nullptr) {
            RegCloseKey(m_loggedOn);
            m_loggedOn = nullptr;
        }
        for (const TestProfile& profile : m_profiles) {
            if (!profile.sid.empty()) {
                RegUnLoadKeyW(HKEY_USERS, profile.sid.c_str());
            }
            UnregisterProfile(profile.sid);
        }
        m_profiles.clear();
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kProfileListKey, L"Default");
        RegistryRun::TearDown();
    }

    std::wstring FolderOf(const std::wstring& name) const
    {
        return InWorkFolder(L"profiles") + L"\\" + name;
    }

    void Make(const TestProfile& profile)
    {
        CreateDirectoryW(InWorkFolder(L"profiles").c_str(), nullptr);
        const std::wstring folder = FolderOf(profile.name);
        const std::wstring hive = folder + L"\\" + profile.hiveFile;
        if (profile.folderGone) {
            ASSERT_TRUE(RegisterProfile(profile.sid, folder));
            m_profiles.push_back(profile);
            return;
        }
        CreateDirectoryW(folder.c_str(), nullptr);
        DeleteFileW(hive.c_str());
        if (profile.garbage) {
            HANDLE file = CreateFileW(hive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(file, "not a hive\r\n", 12, &written, nullptr);
            CloseHandle(file);
        } else if (!profile.hive.empty()) {
            ASSERT_TRUE(SaveHive(hive, profile.hive));
        }
        if (!profile.sid.empty()) {
            ASSERT_TRUE(RegisterProfile(profile.sid, folder));
        }
        m_profiles.push_back(profile);
    }

    // As Windows does when the user logs on.
    void LogOn(const TestProfile& profile)
    {
        ASSERT_EQ(RegLoadKeyW(HKEY_USERS, profile.sid.c_str(),
                              (FolderOf(profile.name) + L"\\NTUSER.DAT").c_str()),
                  ERROR_SUCCESS);
    }

    std::vector<RegValue> LoggedOnValues(const TestProfile& profile, const wchar_t* key)
    {
        return ValuesOf((profile.sid + L"\\" + key).c_str(), HKEY_USERS);
    }

    std::string Label(const TestProfile& profile) const
    {
        return ToUtf8(profile.name) + " (" + ToUtf8(profile.sid) + ")";
    }

    std::vector<HiveValue> List(const std::vector<std::wstring>& open,
                                const wchar_t* key = standin::kOptionsKey) const
    {
        std::vector<HiveValue> values;
        for (const RegValue& value : OpenValues(open)) {
            values.push_back({key, value.name, open[values.size()]});
        }
        return values;
    }

    std::vector<std::wstring> m_hivesBefore;
    std::vector<TestProfile> m_profiles;
    HKEY m_loggedOn = nullptr;
};

TEST_F(AllUsersRun, ChangesEveryUserItCanReachAndReportsEachOne)
{
    const TestProfile ann = {L"ann", L"S-1-5-21-1111-2222-3333-1001",
                             List({L"A.xlam", m_addIn, L"B.xlam"})};
    TestProfile bob = {L"bob", L"S-1-5-21-1111-2222-3333-1002",
                       List({L"\"" + m_addIn + L"\"", L"A.xlam"})};
    for (const HiveValue& value : List({m_addIn}, kOldOptionsKey)) {
        bob.hive.push_back(value);
    }
    const TestProfile carl = {L"carl", L"S-1-5-21-1111-2222-3333-1003", {}};
    const TestProfile dora = {L"dora", L"S-1-5-21-1111-2222-3333-1004", {}, true};
    const TestProfile newUsers = {L"Default", L"", List({L"/R " + m_addIn})};
    for (const TestProfile& profile : {ann, bob, carl, dora, newUsers}) {
        Make(profile);
    }
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProfileListKey, L"Default", REG_SZ,
                              FolderOf(L"Default").c_str(),
                              static_cast<DWORD>((FolderOf(L"Default").size() + 1) * 2)),
              ERROR_SUCCESS);
    LogOn(ann);
    ReplaceValues(standin::kOptionsKey, OpenValues({m_addIn}));

    const RunResult run = Registry(L"/allusers /quiet", m_addIn);

    // dora's hive can't be loaded; carl has none, which is no failure.
    EXPECT_EQ(run.exitCode, 6u);
    EXPECT_EQ(run.errors, "");
    const std::regex unloadable("dora \\(S-1-5-21-1111-2222-3333-1004\\): failed: its hive "
                                "\"C:\\\\uninstall-addin-tests\\\\profiles\\\\dora\\\\"
                                "NTUSER\\.DAT\" could not be loaded: .+");
    std::vector<std::string> lines;
    for (const std::string& line : Lines(run.output)) {
        if (std::regex_match(line, unloadable)) {
            lines.push_back("failed");
        } else {
            lines.push_back(line);
        }
    }
    EXPECT_EQ(Sorted(lines), Sorted({
                                 ThisUser() + ": removed \"OPEN\" under Excel 16.0",
                                 Label(ann) + ": removed \"OPEN1\" under Excel 16.0",
                                 Label(bob) + ": removed \"OPEN\" under Excel 16.0, \"OPEN\" "
                                              "under Excel 14.0",
                                 Label(carl) + ": no profile here: \"" + ToUtf8(FolderOf(L"carl")) +
                                     "\\NTUSER.DAT\" is missing",
                                 "failed",
                                 "Default (new users' profile): removed \"OPEN\" under Excel 16.0",
                             }))
        << run.output;

    // A logged-on user's hive is changed in place.
    EXPECT_EQ(LoggedOnValues(ann, standin::kOptionsKey), OpenValues({L"A.xlam", L"B.xlam"}));
    EXPECT_EQ(LoggedOnValues(ann, standin::kAddInManagerKey),
              std::vector<RegValue>{TextValue(m_addIn, L"")});
    EXPECT_TRUE(ValuesOf(standin::kOptionsKey).empty());
    // The others' hives were loaded and changed, which the log shows, and
    // unloaded again, failures or not.
    const std::string bobs = Label(bob) + " Excel ";
    const std::vector<std::string> log = RunLog();
    for (const std::string& wanted :
         {"removing: " + bobs + "16.0 OPEN \"\"" + ToUtf8(m_addIn) + "\"\"",
          "moved: " + bobs + "16.0 OPEN1 to OPEN \"A.xlam\"", "deleted: " + bobs + "16.0 OPEN1",
          "added: " + bobs + "14.0 Add-in Manager \"" + ToUtf8(m_addIn) + "\"",
          "removing: " + bobs + "14.0 OPEN \"" + ToUtf8(m_addIn) + "\"",
          "deleted: " + bobs + "14.0 OPEN"}) {
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [&](const std::string& line) {
                                    return line.find(wanted) != std::string::npos;
                                }),
                  1)
            << wanted;
    }
    std::vector<std::wstring> hivesAfter = LoadedHives();
    hivesAfter.erase(std::remove(hivesAfter.begin(), hivesAfter.end(), ann.sid), hivesAfter.end());
    EXPECT_EQ(hivesAfter, m_hivesBefore);
    ExpectExcelUntouched();
}

// A user whose Excel runs would undo the change when it closes: left alone
// and reported, and the run asks to be tried again (5); the others are done.
TEST_F(AllUsersRun, LeavesAUserWhoseExcelRunsForLater)
{
    const TestProfile ann = {L"ann", L"S-1-5-21-1111-2222-3333-1001", List({m_addIn})};
    Make(ann);
    LogOn(ann);
    const std::vector<RegValue> mine = OpenValues({L"A.xlam", m_addIn});
    ReplaceValues(standin::kOptionsKey, mine);
    // Every process under Wine runs as this user.
    PretendExcel usersExcel;

    const RunResult run = Registry(L"/allusers /quiet", m_addIn);

    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(Sorted(Lines(run.output)),
              Sorted({ThisUser() + ": skipped: Excel is running",
                      Label(ann) + ": removed \"OPEN\" under Excel 16.0"}));
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), mine);
    EXPECT_TRUE(LoggedOnValues(ann, standin::kOptionsKey).empty());

    const RunResult forced = Registry(L"/allusers /force /quiet", m_addIn);

    EXPECT_EQ(forced.exitCode, 0u);
    EXPECT_EQ(Sorted(Lines(forced.output)),
              Sorted({ThisUser() + ": removed \"OPEN1\" under Excel 16.0",
                      Label(ann) + ": not installed"}));
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam"}));
}

// In another user's hive, any key on the way to the lists may be a registry
// link that points the run, as SYSTEM, at a key of that user's choosing: it
// is refused, at the end of the path or on the way, by the change and by
// /check alike, and the key it points to is left alone.
TEST_F(AllUsersRun, RefusesARegistryLinkInAUsersHive)
{
    constexpr wchar_t kTarget[] = L"Software\\uninstall-addin-tests\\target";  // of HKLM
    const std::wstring linkTarget = L"\\Registry\\Machine\\" + std::wstring(kTarget);
    const TestProfile ann = {
        L"ann", L"S-1-5-21-1111-2222-3333-1001", {{L"Software\\Contoso", L"Theme", L"dark"}}};
    // The link, and where below its target the list is.
    const std::pair<std::wstring, std::wstring> links[] = {
        {standin::kOptionsKey, L""},
        {L"Software\\Microsoft\\Office", L"\\16.0\\Excel\\Options"},
    };
    for (const auto& [link, below] : links) {
        SCOPED_TRACE(ToUtf8(link));
        SetUp();
        Make(ann);
        LogOn(ann);
        const std::wstring targetList = kTarget + below;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTarget);
        SetString(targetList.c_str(), L"OPEN", m_addIn, HKEY_LOCAL_MACHINE);
        const std::wstring linkPath = ann.sid + L"\\" + link;
        const size_t slash = linkPath.find_last_of(L'\\');
        HKEY parent = nullptr;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, linkPath.substr(0, slash).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &parent, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExW(parent, linkPath.substr(slash + 1).c_str(), 0, nullptr,
                                  REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(linkTarget.c_str()),
                                 static_cast<DWORD>(linkTarget.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        RegCloseKey(parent);
        ASSERT_EQ(ValuesOf((ann.sid + L"\\" + standin::kOptionsKey).c_str(), HKEY_USERS),
                  OpenValues({m_addIn}))
            << "a link the system does not follow would prove nothing";
        const std::string refused =
            "HKEY_USERS\\" + ToUtf8(linkPath) + " is a registry link; it was not followed";

        const RunResult run = Registry(L"/allusers /quiet", m_addIn);
        const RunResult check = Registry(L"/check /allusers /quiet", m_addIn);

        EXPECT_EQ(run.exitCode, 6u);
        const std::vector<std::string> lines = Lines(run.output);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), Label(ann) + ": failed: " + refused), 1)
            << run.output;
        EXPECT_EQ(check.exitCode, 6u);
        EXPECT_EQ(check.errors, "uninstall-addin: " + Label(ann) +
                                    ": Excel's add-in list could not be read (" + refused +
                                    ")\r\n");
        EXPECT_EQ(ValuesOf(targetList.c_str(), HKEY_LOCAL_MACHINE), OpenValues({m_addIn}));
        TearDown();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\uninstall-addin-tests");
    }
}

// A run killed while it had hives loaded under HKEY_USERS leaves them
// there. The next run over every user unloads those whose process id runs
// nothing now or another program, tells each in the log, and goes on as
// usual.
TEST_F(AllUsersRun, UnloadsTheHivesThatAKilledRunLeftLoaded)
{
    const TestProfile ann = {L"ann", L"S-1-5-21-1111-2222-3333-1001", List({L"A.xlam", m_addIn})};
    const TestProfile bob = {L"bob", L"S-1-5-21-1111-2222-3333-1002", List({L"A.xlam"})};
    Make(ann);
    Make(bob);
    ReplaceValues(standin::kOptionsKey, OpenValues({m_addIn}));
    // No process has an id that is no multiple of 4; this test's own
    // process runs another program.
    const std::wstring noProcess = L"uninstall-addin-999999-1";
    const std::wstring otherProgram =
        L"uninstall-addin-" + std::to_wstring(GetCurrentProcessId()) + L"-2";
    ASSERT_EQ(
        RegLoadKeyW(HKEY_USERS, noProcess.c_str(), (FolderOf(ann.name) + L"\\NTUSER.DAT").c_str()),
        ERROR_SUCCESS);
    ASSERT_EQ(RegLoadKeyW(HKEY_USERS, otherProgram.c_str(),
                          (FolderOf(bob.name) + L"\\NTUSER.DAT").c_str()),
              ERROR_SUCCESS);

    const RunResult run = Registry(L"/check /allusers /quiet", m_addIn);

    const std::vector<std::wstring> hivesAfter = LoadedHives();
    for (const std::wstring& name : {noProcess, otherProgram}) {
        RegUnLoadKeyW(HKEY_USERS, name.c_str());
    }
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(Sorted(Lines(run.output)),
              Sorted({ThisUser() + ": installed: Excel 16.0 OPEN \"" + ToUtf8(m_addIn) + "\"",
                      Label(ann) + ": installed: Excel 16.0 OPEN1 \"" + ToUtf8(m_addIn) + "\""}));
    EXPECT_EQ(hivesAfter, m_hivesBefore);
    const std::vector<std::string> log = RunLog();
    for (const std::string& wanted :
         {"unloaded: HKEY_USERS\\" + ToUtf8(noProcess) +
              ", left loaded by a run that was ended (process 999999 no longer runs)",
          "unloaded: HKEY_USERS\\" + ToUtf8(otherProgram) +
              ", left loaded by a run that was ended (process " +
              std::to_string(GetCurrentProcessId()) + " is another program now)"}) {
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [&](const std::string& line) {
                                    return line.find(wanted) != std::string::npos;
                                }),
                  1)
            << wanted;
    }
    ExpectExcelUntouched();
}

// ann's AppData is redirected, with her own %USERNAME% in it, not this
// process's: her bare names are in that folder.
TEST_F(AllUsersRun, CheckPrintsEachPlaceAfterItsUser)
{
    TestProfile ann = {L"ann", L"S-1-5-21-1111-2222-3333-1001",
                       List({L"A.xlam", L"/R " + m_addIn, L"Tools.xlam"})};
    ann.hive.push_back(
        {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", L"AppData",
         InWorkFolder(L"home") + L"\\%USERNAME%\\Roaming"});
    const TestProfile bob = {L"bob", L"S-1-5-21-1111-2222-3333-1002", List({L"A.xlam"})};
    Make(ann);
    Make(bob);
    ReplaceValues(standin::kOptionsKey, OpenValues({m_addIn}));

    const RunResult run = Registry(L"/check /allusers /quiet", m_addIn);
    const RunResult redirected =
        Registry(L"/check /allusers /quiet",
                 InWorkFolder(L"home") + L"\\ann\\Roaming\\Microsoft\\AddIns\\Tools.xlam");

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(
        Sorted(Lines(run.output)),
        Sorted({ThisUser() + ": installed: Excel 16.0 OPEN \"" + ToUtf8(m_addIn) + "\"",
                Label(ann) + ": installed: Excel 16.0 OPEN1 \"/R " + ToUtf8(m_addIn) + "\""}));
    EXPECT_EQ(redirected.exitCode, 0u);
    EXPECT_EQ(
        Lines(redirected.output),
        std::vector<std::string>{Label(ann) + ": installed: Excel 16.0 OPEN2 \"Tools.xlam\""});
    EXPECT_EQ(LoadedHives(), m_hivesBefore);
    ExpectExcelUntouched();
}

// A profile deleted by hand keeps its ProfileList entry: no failure, in
// either mode. A mandatory profile's hive is its NTUSER.MAN.
TEST_F(AllUsersRun, TellsOfProfilesThatAreGoneAndReachesMandatoryOnes)
{
    TestProfile erin = {L"erin", L"S-1-5-21-1111-2222-3333-1005", {}};
    erin.folderGone = true;
    TestProfile fred = {L"fred", L"S-1-5-21-1111-2222-3333-1006", List({L"A.xlam", m_addIn})};
    fred.hiveFile = L"NTUSER.MAN";
    Make(erin);
    Make(fred);
    ReplaceValues(standin::kOptionsKey, OpenValues({L"A.xlam"}));
    const std::string gone =
        Label(erin) + ": no profile here: \"" + ToUtf8(FolderOf(L"erin")) + "\" is missing";

    // Detection takes any line on standard output for "installed": the
    // gone profile is told in the log only.
    const RunResult check = Registry(L"/check /allusers /quiet", m_addIn);

    EXPECT_EQ(check.exitCode, 0u);
    EXPECT_EQ(check.errors, "");
    EXPECT_EQ(Lines(check.output),
              std::vector<std::string>{Label(fred) + ": installed: Excel 16.0 OPEN1 \"" +
                                       ToUtf8(m_addIn) + "\""});
    const auto told = [this](const std::string& line) {
        const std::vector<std::string> log = RunLog();
        return std::count_if(log.begin(), log.end(), [&](const std::string& logged) {
            return logged.find("result: " + line) != std::string::npos;
        });
    };
    EXPECT_EQ(told(gone), 1);

    const RunResult run = Registry(L"/allusers /quiet", m_addIn);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(Sorted(Lines(run.output)),
              Sorted({ThisUser() + ": not installed", gone,
                      Label(fred) + ": removed \"OPEN1\" under Excel 16.0"}));
    EXPECT_EQ(told(gone), 2);
    EXPECT_EQ(LoadedHives(), m_hivesBefore);
    ExpectExcelUntouched();
}

// An inventory of every user's lists, as a tool reads it: JSON lines, each
// one object, in ASCII. Only this user's files are looked at, and an XLL's
// bitness read; another user's paths are theirs to choose.
TEST_F(AllUsersRun, ListsEveryEntryOfEveryUserAsJsonLines)
{
    // A 64-bit image under an XLL's name, as the stand-in Excel is.
    const std::wstring xll = InWorkFolder(L"Tools64.xll");
    ASSERT_TRUE(CopyFileW((ExecutableFolder() + kServerExe).c_str(), xll.c_str(), FALSE));
    const std::wstring gone = InWorkFolder(L"Gone.xlam");
    DeleteFileW(gone.c_str());
    const TestProfile ann = {L"ann", L"S-1-5-21-1111-2222-3333-1001",
                             List({L"/R " + xll, L"/A \"Contoso.Functions\""})};
    const TestProfile bob = {L"bob", L"S-1-5-21-1111-2222-3333-1002", List({L"Caf\u00e9.xlam"})};
    Make(ann);
    Make(bob);
    LogOn(ann);
    ReplaceValues(standin::kOptionsKey, OpenValues({L"/R " + xll, L"\"" + gone + L"\""}));
    ReplaceValues(standin::kAddInManagerKey, {TextValue(m_addIn, L"")});

    const RunResult run =
        Uninstall(L"/list /allusers /json /quiet /log:" + QuoteArgument(m_runLog));

    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.errors, "");
    ASSERT_FALSE(run.output.empty());
    EXPECT_EQ(run.output.back(), '\n');
    EXPECT_EQ(run.output.find('\r'), std::string::npos);
    for (const char c : run.output) {
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f));
    }
#if HAVE_JSON_PARSER
    // "user sid where": "excel", "value", "path", "installed", "file", "xll_bits"
    std::vector<std::string> entries;
    for (const std::string& line : Lines(run.output)) {
        const nlohmann::json entry = nlohmann::json::parse(line);
        ASSERT_EQ(entry.size(), 10u) << line;
        EXPECT_EQ(entry.at("excel"), "16.0");
        EXPECT_EQ(entry.at("excel_bits"), 64);
        const auto text = [](const nlohmann::json& value) {
            return value.is_null()     ? std::string("null")
                   : value.is_string() ? value.get<std::string>()
                                       : value.dump();
        };
        entries.push_back(text(entry.at("user")) + " " + text(entry.at("sid")) + " " +
                          text(entry.at("where")) + " " + text(entry.at("value")) + " " +
                          text(entry.at("path")) + " " + text(entry.at("installed")) + " " +
                          text(entry.at("file")) + " " + text(entry.at("xll_bits")));
    }
    const std::string me = ThisUser().substr(0, ThisUser().find(" (")) + " S-1-5-21-0-0-0-1000 ";
    const std::string anns = "ann " + ToUtf8(ann.sid) + " ";
    const std::string addIns = ToUtf8(FolderOf(L"bob")) + "\\AppData\\Roaming\\Microsoft\\AddIns\\";
    EXPECT_EQ(
        Sorted(entries),
        Sorted(
            {me + "OPEN /R " + ToUtf8(xll) + " " + ToUtf8(xll) + " true found 64",
             me + "OPEN1 \"" + ToUtf8(gone) + "\" " + ToUtf8(gone) + " true gone null",
             me + "Add-in Manager " + ToUtf8(m_addIn) + " " + ToUtf8(m_addIn) + " false found null",
             anns + "OPEN /R " + ToUtf8(xll) + " " + ToUtf8(xll) + " true not looked at null",
             anns + "OPEN1 /A \"Contoso.Functions\" null true not looked at null",
             "bob " + ToUtf8(bob.sid) + " OPEN Caf\xc3\xa9.xlam " + addIns +
                 "Caf\xc3\xa9.xlam true not looked at null"}))
        << run.output;
#endif
    EXPECT_EQ(LoadedHives().size(), m_hivesBefore.size() + 1);  // ann's, as she logged on

    // A detection script's question: where is this one installed?
    const RunResult check = Registry(L"/check /allusers /json /quiet", xll);
    EXPECT_EQ(check.exitCode, 0u) << check.errors;
#if HAVE_JSON_PARSER
    std::vector<std::string> places;
    for (const std::string& line : Lines(check.output)) {
        const nlohmann::json place = nlohmann::json::parse(line);
        EXPECT_EQ(place.at("addin"), ToUtf8(xll));
        EXPECT_EQ(place.at("installed"), true);
        places.push_back(place.at("sid").get<std::string>() + " " +
                         place.at("where").get<std::string>());
    }
    EXPECT_EQ(Sorted(places), Sorted({"S-1-5-21-0-0-0-1000 OPEN", ToUtf8(ann.sid) + " OPEN"}));
#endif

    // The text lines say the same, one a line.
    const RunResult text = Uninstall(L"/list /quiet");
    EXPECT_EQ(text.exitCode, 0u);
    EXPECT_EQ(Lines(text.output),
              (std::vector<std::string>{
                  ThisUser() + ": Excel 16.0: installed (OPEN): \"/R " + ToUtf8(xll) + "\" is " +
                      ToUtf8(xll) + ": found, a 64-bit XLL, as Excel is",
                  ThisUser() + ": Excel 16.0: installed (OPEN1): \"\"" + ToUtf8(gone) + "\"\" is " +
                      ToUtf8(gone) + ": gone",
                  ThisUser() + ": Excel 16.0: not installed (Add-in Manager): \"" +
                      ToUtf8(m_addIn) + "\" is " + ToUtf8(m_addIn) + ": found"}));
    ExpectExcelUntouched();
}

// Several add-ins, each user's lists changed once for all of them: each
// hive loaded once, a line for each add-in.
TEST_F(AllUsersRun, TakesSeveralAddInsOutInOneChangeOfEachUser)
{
    const std::wstring xll = InWorkFolder(L"Sample64.xll");
    const TestProfile ann = {L"ann", L"S-1-5-21-1111-2222-3333-1001",
                             List({xll, L"A.xlam", L"/R " + m_addIn})};
    Make(ann);
    ReplaceValues(standin::kOptionsKey, OpenValues({L"A.xlam", xll}));

    const RunResult run = Uninstall(L"/allusers /quiet /log:" + QuoteArgument(m_runLog) + L" " +
                                    QuoteArgument(m_addIn) + L" " + QuoteArgument(xll));

    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    const std::string first = ": \"" + ToUtf8(m_addIn) + "\": ";
    const std::string second = ": \"" + ToUtf8(xll) + "\": ";
    EXPECT_EQ(Sorted(Lines(run.output)), Sorted({ThisUser() + first + "not installed",
                                                 ThisUser() + second + "removed \"OPEN1\" (\"" +
                                                     ToUtf8(xll) + "\") under Excel 16.0",
                                                 Label(ann) + first + "removed \"OPEN2\" (\"/R " +
                                                     ToUtf8(m_addIn) + "\") under Excel 16.0",
                                                 Label(ann) + second + "removed \"OPEN\" (\"" +
                                                     ToUtf8(xll) + "\") under Excel 16.0"}))
        << run.output;
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam"}));
    const std::vector<std::string> log = RunLog();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) {
                                return line.find("loaded: \"" + ToUtf8(FolderOf(L"ann"))) !=
                                       std::string::npos;
                            }),
              1);
    EXPECT_EQ(LoadedHives(), m_hivesBefore);
}

// /anyfolder: every copy, wherever a user put it, by its whole file name;
// never a look-alike. Each is named, and kept in the Add-ins dialog under
// its own path, as a run through Excel would leave it.
TEST_F(RegistryRun, AnyFolderTakesEveryCopyAndNoLookAlike)
{
    const std::wstring desktop = InWorkFolder(L"Desktop\\Sample.xlam");
    const std::wstring old = L"D:\\Old Version\\SAMPLE.XLAM";
    ReplaceValues(standin::kOptionsKey,
                  OpenValues({L"\"" + desktop + L"\"", L"A.xlam", L"/R \"" + old + L"\"",
                              L"C:\\Tools\\SampleTools.xlam", L"sample.xlam", m_addIn,
                              L"C:\\Tools\\Sample.xlam.bak"}));
    RegDeleteTreeW(HKEY_CURRENT_USER, standin::kAddInManagerKey);

    const RunResult run = Registry(L"/registry /anyfolder /quiet", m_addIn);

    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.output,
              ThisUser() + ": removed \"OPEN\" (\"\"" + ToUtf8(desktop) +
                  "\"\") under Excel 16.0, \"OPEN2\" (\"/R \"" + ToUtf8(old) +
                  "\"\") under Excel 16.0, \"OPEN4\" (\"sample.xlam\") under Excel 16.0, \"OPEN5\" "
                  "(\"" +
                  ToUtf8(m_addIn) + "\") under Excel 16.0\r\n");
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OpenValues({L"A.xlam", L"C:\\Tools\\SampleTools.xlam",
                                                          L"C:\\Tools\\Sample.xlam.bak"}));
    // The one in the user's add-ins folder Excel lists by itself.
    EXPECT_EQ(
        ValuesOf(standin::kAddInManagerKey),
        SortedByName({TextValue(desktop, L""), TextValue(old, L""), TextValue(m_addIn, L"")}));
    const std::vector<std::string> log = RunLog();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.find(" removing: ") != std::string::npos;
                            }),
              4);
    ExpectExcelUntouched();
}

}  // namespace
