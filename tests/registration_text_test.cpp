#include "excel/registration_text.h"

#include "wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RegistrationText, FindsTheServerProgramInItsCommandLine)
{
    struct Case {
        std::wstring commandLine;
        std::wstring executable;
    };
    const Case cases[] = {
        {L"\"C:\\Program Files\\Microsoft Office\\root\\Office16\\EXCEL.EXE\" /automation",
         L"C:\\Program Files\\Microsoft Office\\root\\Office16\\EXCEL.EXE"},
        {L"C:\\PROGRA~1\\MICROS~1\\root\\Office16\\EXCEL.EXE /automation",
         L"C:\\PROGRA~1\\MICROS~1\\root\\Office16\\EXCEL.EXE"},
        // Unquoted with blanks, as some installers register it.
        {L"C:\\Program Files\\Office\\excel.exe /automation -Embedding",
         L"C:\\Program Files\\Office\\excel.exe"},
        {L"C:\\Office\\EXCEL.EXE", L"C:\\Office\\EXCEL.EXE"},
        {L"  \"C:\\stand in\\excel-standin.exe\"", L"C:\\stand in\\excel-standin.exe"},
        // ".exe" inside a folder name is not the end of the program.
        {L"C:\\tools.exe.d\\excel.exe /automation", L"C:\\tools.exe.d\\excel.exe"},
        {L"C:\\Office\\excel /automation", L"C:\\Office\\excel"},
        {L"\"C:\\unclosed\\excel.exe", L"C:\\unclosed\\excel.exe"},
        {L"", L""},
        {L"   ", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.commandLine));
        EXPECT_EQ(ExecutableOfCommandLine(c.commandLine), c.executable);
    }
}

TEST(RegistrationText, TakesTheVersionKeyFromTheVersionedProgId)
{
    struct Case {
        std::wstring progId;
        std::wstring version;  // empty: none
    };
    const Case cases[] = {
        {L"Excel.Application.16", L"16.0"}, {L"Excel.Application.12", L"12.0"},
        {L"Excel.Application.9", L"9.0"},   {L"Excel.Application", L""},
        {L"Excel.Application.", L""},       {L"Excel.Application.016", L""},
        {L"Excel.Application.16a", L""},    {L"Excel.Sheet.16", L""},
        {L"Excel.Application.12345", L""},  {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.progId));
        const std::optional<std::wstring> version = VersionOfProgId(c.progId);
        EXPECT_EQ(version.value_or(L""), c.version);
    }
}

}  // namespace
