// What a run through Excel leaves in Excel's own list, and how the run
// proves it: the list is read once the Excel it started has ended.

#include "pretend_excel.h"
#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

class ExcelListRun : public UninstallRun {
protected:
    void SetUp() override
    {
        UninstallRun::SetUp();
        m_others = OpenValues({L"\"C:\\Add-ins\\Sales Tools.xlam\"", L"/R calc.xll"});
        std::vector<RegValue> options = OpenValues(
            {L"\"C:\\Add-ins\\Sales Tools.xlam\"", L"\"" + m_addIn + L"\"", L"/R calc.xll"});
        options.push_back(TextValue(L"Font", L"Calibri,11"));
        ReplaceValues(standin::kOptionsKey, options);
        RegDeleteTreeW(HKEY_CURRENT_USER, standin::kAddInManagerKey);
    }

    std::vector<RegValue> OthersAndSettings() const
    {
        std::vector<RegValue> values = m_others;
        values.push_back(TextValue(L"Font", L"Calibri,11"));
        return SortedByName(values);
    }

    std::vector<RegValue> m_others;
};

// Registered as a 64-bit Excel, or in the registry's 32-bit view only, as a
// 32-bit Office on 64-bit Windows registers it.
TEST_F(ExcelListRun, LeavesTheAddInListedButNotInstalledAndTheOthersAsTheyWere)
{
    const std::wstring runLog = InWorkFolder(L"run.log");
    for (const wchar_t* registration : {L"/regserver", L"/regserver32"}) {
        SCOPED_TRACE(ToUtf8(registration));
        SetUp();
        ASSERT_EQ(Server(registration), 0u);
        DeleteFileW(runLog.c_str());

        const RunResult run =
            Uninstall(L"/log:" + QuoteArgument(runLog) + L" " + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
        // That Excel had ended when the program returned: its list is final.
        EXPECT_TRUE(ServerGone());
        EXPECT_EQ(ReadFileBytes(runLog).find("not waited for"), std::string::npos);
        EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), OthersAndSettings());
        EXPECT_EQ(ValuesOf(standin::kAddInManagerKey),
                  std::vector<RegValue>{TextValue(m_addIn, L"")});
        // Nothing holds the add-in file any more.
        EXPECT_TRUE(DeleteFileW(m_addIn.c_str()));
        TearDown();
    }
}

// An Excel that said yes to every call but still lists the add-in as
// installed when it ends: the run fails, and says where.
TEST_F(ExcelListRun, AnExcelThatKeepsTheAddInInstalledIsAFailure)
{
    struct Case {
        const char* what;
        bool quiet;
        bool curVer;  // Excel's version registered as CurVer, or only in its executable
        const wchar_t* registration;
    };
    const Case cases[] = {
        {"box", false, true, L"/regserver"},
        {"quiet", true, true, L"/regserver"},
        {"version from the executable", true, false, L"/regserver"},
        {"32-bit registration, version from the executable", true, false, L"/regserver32"},
    };
    const std::string report =
        "Excel still lists the add-in as installed (\"OPEN1\" under Excel 16.0)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_EQ(Server(c.registration), 0u);
        SetNumber(standin::kSettingsKey, standin::kKeepInstalledOnExitValue, 1);
        if (!c.curVer) {
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Excel.Application\\CurVer");
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Excel.Application\\CurVer");
        }

        const RunResult run = Uninstall((c.quiet ? L"/quiet " : L"") + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.output, ProgressLine());
        if (c.quiet) {
            EXPECT_EQ(run.errors, "uninstall-addin: " + report + "\r\n");
            EXPECT_TRUE(run.boxes.empty());
        } else {
            EXPECT_EQ(run.boxes, std::vector<std::string>{"Error: " + report});
        }
        EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
        EXPECT_TRUE(ServerGone());
        TearDown();
    }
}

TEST_F(ExcelListRun, RemoveTakesTheAddInOffEveryListOfTheUser)
{
    // An older Excel's list still has it too, installed and listed.
    ReplaceValues(kOldOptionsKey, OpenValues({L"/R " + m_addIn, L"Old.xlam"}));
    ReplaceValues(kOldAddInManagerKey, {TextValue(L"C:\\UNINSTALL-ADDIN-TESTS\\SAMPLE.XLAM", L"")});

    const RunResult run = Uninstall(L"/remove " + QuoteArgument(m_addIn));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(CallLog(), UninstallConversation(m_addIn));
    EXPECT_EQ(ValuesOf(standin::kOptionsKey), OthersAndSettings());
    EXPECT_TRUE(ValuesOf(standin::kAddInManagerKey).empty());
    EXPECT_EQ(ValuesOf(kOldOptionsKey), OpenValues({L"Old.xlam"}));
    EXPECT_TRUE(ValuesOf(kOldAddInManagerKey).empty());
    EXPECT_EQ(StoredInstalled(m_addIn), std::nullopt);
}

// Without /remove, and after a failed run even with it, the program itself
// writes nothing to the registry.
TEST_F(ExcelListRun, OnlyExcelWritesTheListUnlessRemoveIsGivenAndTheRunSucceeds)
{
    ReplaceValues(kOldOptionsKey, OpenValues({m_addIn}));
    FailCall(L"AddIn.Installed", 0x80020009);

    const RunResult run = Uninstall(L"/remove /quiet " + QuoteArgument(m_addIn));

    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(ValuesOf(kOldOptionsKey), OpenValues({m_addIn}));
    EXPECT_EQ(StoredInstalled(m_addIn), true);
    EXPECT_TRUE(ValuesOf(standin::kAddInManagerKey).empty());
}

// Another program's automation Excel, or one left stuck, has no window to
// close: the report says so and names its process.
TEST_F(ExcelListRun, AnExcelWithoutAWindowIsNamedAndNothingIsChanged)
{
    PretendExcel hidden(PretendExcel::Window::Hidden);
    const std::string report = "An Excel without a window is running (process " +
                               std::to_string(hidden.ProcessId()) +
                               "); end it in Task Manager, then run this again";
    const std::vector<RegValue> before = ValuesOf(standin::kOptionsKey);

    for (const bool quiet : {true, false}) {
        SCOPED_TRACE(quiet ? "quiet" : "box");
        const RunResult run = Uninstall((quiet ? L"/quiet " : L"") + QuoteArgument(m_addIn));

        EXPECT_EQ(run.exitCode, 5u);
        EXPECT_EQ(run.output, "");
        if (quiet) {
            EXPECT_EQ(run.errors, "uninstall-addin: " + report + "\r\n");
            EXPECT_TRUE(run.boxes.empty());
        } else {
            EXPECT_EQ(run.errors, "");
            EXPECT_EQ(run.boxes, std::vector<std::string>{"uninstall-addin: " + report});
            ASSERT_EQ(run.boxDetails.size(), 1u);
            EXPECT_TRUE(run.boxDetails[0].okOnly);
        }
        EXPECT_TRUE(CallLog().empty());
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), before);
    }

    // /force skips the check, and that Excel is left alone.
    const RunResult forced = Uninstall(L"/force " + QuoteArgument(m_addIn));
    EXPECT_EQ(forced.exitCode, 0u);
    EXPECT_EQ(StoredInstalled(m_addIn), false);
    EXPECT_TRUE(hidden.Running());
}

// Uninstallers often delete the add-in's file first. Excel could only fail
// on it: the run takes the add-in out of this user's lists instead, without
// starting Excel, and off the Add-ins dialog, where it would be a dead entry.
TEST_F(ExcelListRun, AnAddInFileThatIsGoneIsTakenOffTheListsWithoutExcel)
{
    struct Case {
        const char* what;
        std::wstring path;
        bool installed;
        bool excelOpen;
        int status;
        std::string result;  // after "<user>: "
    };
    const std::wstring inGoneFolder = InWorkFolder(L"gone\\Sample.xlam");
    const Case cases[] = {
        {"file deleted", m_addIn, true, false, 0,
         "the add-in file \"" + ToUtf8(m_addIn) +
             "\" is gone; removed \"OPEN1\" under Excel 16.0; taken off the Add-ins list under "
             "Excel 14.0"},
        {"folder deleted", inGoneFolder, true, false, 0,
         "the add-in file \"" + ToUtf8(inGoneFolder) +
             "\" is gone; removed \"OPEN1\" under Excel 16.0"},
        {"not installed", inGoneFolder, false, false, 0,
         "the add-in file \"" + ToUtf8(inGoneFolder) + "\" is gone; not installed"},
        {"Excel open", m_addIn, true, true, 5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        DeleteFileW(m_addIn.c_str());
        std::vector<RegValue> options =
            OpenValues({L"\"C:\\Add-ins\\Sales Tools.xlam\"", L"/R " + c.path, L"/R calc.xll"});
        options.push_back(TextValue(L"Font", L"Calibri,11"));
        ReplaceValues(standin::kOptionsKey, c.installed ? options : OthersAndSettings());
        ReplaceValues(kOldAddInManagerKey, {TextValue(m_addIn, L"")});
        const std::vector<RegValue> before = ValuesOf(standin::kOptionsKey);
        std::optional<PretendExcel> excel;
        if (c.excelOpen) {
            excel.emplace();
        }

        const RunResult run = Uninstall(L"/quiet " + QuoteArgument(c.path));

        EXPECT_EQ(run.exitCode, static_cast<DWORD>(c.status)) << run.errors;
        EXPECT_TRUE(CallLog().empty());
        if (c.excelOpen) {
            EXPECT_EQ(ValuesOf(standin::kOptionsKey), before);
        } else {
            const std::vector<std::string> lines = Lines(run.output);
            ASSERT_EQ(lines.size(), 1u) << run.output;
            EXPECT_EQ(lines[0].substr(lines[0].find("): ") + 3), c.result);
            EXPECT_EQ(run.errors, "");
            EXPECT_EQ(ValuesOf(standin::kOptionsKey), OthersAndSettings());
            EXPECT_EQ(ValuesOf(kOldAddInManagerKey).empty(), c.path == m_addIn);
        }
        TearDown();
    }
}

}  // namespace
