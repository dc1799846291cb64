#include "addin_list/open_value.h"

#include "wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Flags = std::vector<std::wstring>;

TEST(OpenValue, ReadsEveryFormExcelAndInstallersWrite)
{
    struct Case {
        std::wstring data;
        Flags flags;
        std::wstring file;
    };
    const Case cases[] = {
        {L"\"C:\\Add-ins\\Sales Tools.xlam\"", {}, L"C:\\Add-ins\\Sales Tools.xlam"},
        {L"/R \"C:\\Add-ins\\calc.xll\"", {L"/R"}, L"C:\\Add-ins\\calc.xll"},
        {L"/R calc.xll", {L"/R"}, L"calc.xll"},
        {L"/F C:\\ADDINS\\OLD.XLA", {L"/F"}, L"C:\\ADDINS\\OLD.XLA"},
        {L"C:\\Add-ins\\plain.xlam", {}, L"C:\\Add-ins\\plain.xlam"},
        // Blanks an installer left unquoted are part of the path.
        {L"C:\\Add-ins\\Sales Tools.xlam", {}, L"C:\\Add-ins\\Sales Tools.xlam"},
        {L"/r /f \"x.xlam\"", {L"/r", L"/f"}, L"x.xlam"},
        {L"/R/F x.xlam", {L"/R", L"/F"}, L"x.xlam"},
        {L"/R\"C:\\a b.xll\"", {L"/R"}, L"C:\\a b.xll"},
        // Stray blanks and tabs around everything.
        {L"   /R   \"C:\\x.xll\"   ", {L"/R"}, L"C:\\x.xll"},
        {L"\t C:\\x.xlam \t", {}, L"C:\\x.xlam"},
        // A quote that never closes runs to the end; text after a closing
        // one is no part of the file.
        {L"\"C:\\open quote.xlam", {}, L"C:\\open quote.xlam"},
        {L"\"C:\\x.xlam\" trailing", {}, L"C:\\x.xlam"},
        // Paths that start with a slash are not flags.
        {L"/addins/x.xlam", {}, L"/addins/x.xlam"},
        {L"//server/share/x.xlam", {}, L"//server/share/x.xlam"},
        {L"\\\\server\\share\\x.xlam", {}, L"\\\\server\\share\\x.xlam"},
        // Nothing but flags, or nothing at all.
        {L"/R", {L"/R"}, L""},
        {L"", {}, L""},
        {L"   ", {}, L""},
        {L"\"\"", {}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.data));
        const OpenValue value = ParseOpenValue(c.data);
        EXPECT_FALSE(value.automation);
        EXPECT_EQ(value.flags, c.flags);
        EXPECT_EQ(value.file, c.file);
    }
}

TEST(OpenValue, AnAutomationAddInNamesNoFile)
{
    struct Case {
        std::wstring data;
        std::wstring progId;
    };
    const Case cases[] = {
        {L"/A Contoso.Functions", L"Contoso.Functions"},
        {L"/a \"Contoso.Functions\"", L"Contoso.Functions"},
        {L"  /A   Contoso.Functions  ", L"Contoso.Functions"},
        {L"/R /A Contoso.Functions", L"Contoso.Functions"},
        // Even one that looks like a path is a ProgID.
        {L"/A C:\\Add-ins\\x.xlam", L"C:\\Add-ins\\x.xlam"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.data));
        const OpenValue value = ParseOpenValue(c.data);
        EXPECT_TRUE(value.automation);
        EXPECT_EQ(value.progId, c.progId);
        EXPECT_EQ(value.file, L"");
    }
}

}  // namespace
