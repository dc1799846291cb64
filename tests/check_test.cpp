// /check: detection for deployment tools. It prints a line for each place
// the add-in is installed and exits 0, prints nothing and exits 0 where it
// is installed nowhere, and never starts Excel or changes anything.

#include "uninstall_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CheckRun : public UninstallRun {
protected:
    void SetUp() override
    {
        UninstallRun::SetUp();
        m_bare = UserAddInsFolder() + L"\\Tools.xll";
    }

    RunResult Check(const std::wstring& path, const wchar_t* switches = L"/check")
    {
        return Uninstall(std::wstring(switches) + L" " + QuoteArgument(path));
    }

    // Nothing was started and nothing changed.
    void ExpectUntouched(const std::vector<RegValue>& options)
    {
        EXPECT_TRUE(CallLog().empty());
        EXPECT_TRUE(ServerGone());
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), options);
        EXPECT_TRUE(ValuesOf(standin::kAddInManagerKey).empty());
    }

    std::wstring m_bare;  // an add-in in the user's add-ins folder
};

TEST_F(CheckRun, PrintsWhereTheAddInIsInstalledInEachStoredForm)
{
    struct Case {
        std::wstring stored;     // the OPEN1 value's data
        std::wstring path;       // as given on the command line
        std::string shown = {};  // the data as printed, when not as stored
    };
    const std::wstring sample = m_addIn;
    const Case cases[] = {
        {L"\"" + sample + L"\"", sample},
        {L"/R \"" + sample + L"\"", sample},
        {L"/F C:\\UNINSTALL-ADDIN-TESTS\\SAMPLE.XLAM", sample},
        {sample, L"c:\\Uninstall-Addin-Tests\\sample.xlam"},
        {L"  C:\\uninstall-addin-tests\\old\\..\\.\\Sample.xlam  ", sample},
        {L"C:/uninstall-addin-tests/Sample.xlam", sample},
        {L"/R Tools.xll", m_bare},
        // Typed, a bare name is the current folder's, as Windows reads it.
        {L"\"" + m_bare + L"\"", L"Tools.xll"},
        // Text after the quotes can't forge another line, or hide one.
        {L"\"" + sample + L"\"\r\ninstalled: Excel 16.0 OPEN \"x\"\x1b[8m", sample,
         "\"" + ToUtf8(sample) + "\"\\r\\ninstalled: Excel 16.0 OPEN \"x\"\\x1b[8m"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored) + " for " + ToUtf8(c.path));
        CreateDirectoryW(UserAddInsFolder().c_str(), nullptr);
        m_runFolder = c.path == L"Tools.xll" ? UserAddInsFolder() : std::wstring();
        std::vector<RegValue> options =
            OpenValues({L"\"C:\\Add-ins\\Sales Tools.xlam\"", c.stored, L"/A Contoso.Functions"});
        options.push_back(NumberValue(L"DefSheets", 3));
        ReplaceValues(standin::kOptionsKey, options);
        RegDeleteTreeW(HKEY_CURRENT_USER, standin::kAddInManagerKey);

        const RunResult run = Check(c.path);

        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, "installed: Excel 16.0 OPEN1 \"" +
                                  (c.shown.empty() ? ToUtf8(c.stored) : c.shown) + "\"\r\n");
        EXPECT_EQ(run.errors, "");
        EXPECT_TRUE(run.boxes.empty());
        ExpectUntouched(ValuesOf(standin::kOptionsKey));
    }
}

TEST_F(CheckRun, SaysNothingWhereTheAddInIsNotInstalled)
{
    struct Case {
        const char* what;
        std::vector<RegValue> options;
        std::wstring path;
    };
    const Case cases[] = {
        {"other add-ins", OpenValues({L"C:\\Add-ins\\A.xlam", L"/R B.xll"}), m_addIn},
        {"no list at all", {}, m_addIn},
        {"only listed, unticked", {}, m_addIn},
        {"an automation add-in of that name",
         OpenValues({L"/A C:\\uninstall-addin-tests\\Sample.xlam"}), m_addIn},
        {"the same name elsewhere", OpenValues({L"C:\\elsewhere\\Sample.xlam", L"Sample.xlam"}),
         m_addIn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReplaceValues(standin::kOptionsKey, c.options);
        RegDeleteTreeW(HKEY_CURRENT_USER, standin::kAddInManagerKey);
        if (std::string(c.what) == "only listed, unticked") {
            SetString(standin::kAddInManagerKey, m_addIn.c_str(), L"");
        }

        const RunResult run = Check(c.path, L"/check /quiet");

        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(run.errors, "");
        EXPECT_TRUE(CallLog().empty());
        EXPECT_TRUE(ServerGone());
        EXPECT_EQ(ValuesOf(standin::kOptionsKey), c.options);
    }
}

TEST_F(CheckRun, LooksAtEveryExcelVersionNewestFirst)
{
    const wchar_t* old = L"Software\\Microsoft\\Office\\14.0\\Excel\\Options";
    ReplaceValues(standin::kOptionsKey, OpenValues({L"A.xlam", m_addIn}));
    ReplaceValues(old, OpenValues({L"\"" + m_addIn + L"\""}));
    // Not a version's key: Office keeps others beside them.
    SetString(L"Software\\Microsoft\\Office\\Common\\Excel\\Options", L"OPEN", m_addIn);

    const RunResult run = Check(m_addIn);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "installed: Excel 16.0 OPEN1 \"" + ToUtf8(m_addIn) +
                              "\"\r\ninstalled: Excel 14.0 OPEN \"\"" + ToUtf8(m_addIn) +
                              "\"\"\r\n");
    EXPECT_TRUE(CallLog().empty());
}

// A detection script must never take "can't tell" for "not installed".
TEST_F(CheckRun, AListItCannotReadIsStatusSixWithAReport)
{
    ReplaceValues(standin::kOptionsKey, OpenValues({m_addIn}));
    HKEY options = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, standin::kOptionsKey, 0, WRITE_DAC, &options),
              ERROR_SUCCESS);
    // A descriptor whose DACL grants nothing to anyone.
    SECURITY_DESCRIPTOR denied;
    ASSERT_TRUE(InitializeSecurityDescriptor(&denied, SECURITY_DESCRIPTOR_REVISION));
    ACL emptyAcl;
    ASSERT_TRUE(InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&denied, TRUE, &emptyAcl, FALSE));
    ASSERT_EQ(RegSetKeySecurity(options, DACL_SECURITY_INFORMATION, &denied), ERROR_SUCCESS);
    RegCloseKey(options);

    for (const wchar_t* switches : {L"/check /quiet", L"/check"}) {
        SCOPED_TRACE(ToUtf8(switches));
        const RunResult run = Check(m_addIn, switches);

        EXPECT_EQ(run.exitCode, 6u);
        EXPECT_EQ(run.output, "");
        const std::string report =
            "Excel's add-in list could not be read (HKEY_CURRENT_USER\\Software\\Microsoft\\"
            "Office\\16.0\\Excel\\Options: ";
        if (std::wstring(switches).find(L"/quiet") != std::wstring::npos) {
            EXPECT_EQ(run.errors.rfind("uninstall-addin: " + report, 0), 0u) << run.errors;
        } else {
            ASSERT_EQ(run.boxes.size(), 1u);
            EXPECT_EQ(run.boxes[0].rfind("Error: " + report, 0), 0u) << run.boxes[0];
        }
        EXPECT_TRUE(CallLog().empty());
    }
    // Let the next test clear the key.
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, standin::kOptionsKey, 0, WRITE_DAC, &options),
              ERROR_SUCCESS);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&denied, TRUE, nullptr, FALSE));
    RegSetKeySecurity(options, DACL_SECURITY_INFORMATION, &denied);
    RegCloseKey(options);
}

}  // namespace
