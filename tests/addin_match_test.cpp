// Whether a value of Excel's list names the add-in, with the Windows side of
// path comparison: case by Windows' own rules, and short (8.3) names.

#include "addin_list/addin_match.h"
#include "addin_list/registry_key.h"

#include "wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const PathBase kBase = {L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\AddIns", L"C:\\Deploy"};

TEST(AddInMatch, TellsWhichOpenValuesNameTheAddIn)
{
    struct Case {
        std::wstring addIn;  // as given on the command line
        std::wstring data;   // an OPEN value's
        bool names;
    };
    const std::wstring sample = L"C:\\Add-ins\\Sample.xlam";
    const Case cases[] = {
        {sample, L"\"C:\\ADD-INS\\sample.XLAM\"", true},
        {sample, L"/R C:\\Add-ins\\old\\..\\.\\Sample.xlam", true},
        {L"c:/add-ins/SAMPLE.xlam", L"/F C:\\Add-ins\\Sample.xlam", true},
        // Case beyond ASCII, as Windows folds it.
        {L"C:\\Caf\u00e9\\\u03a9mega.xlam", L"c:\\CAF\u00c9\\\u03c9MEGA.XLAM", true},
        // A bare name is the user's add-ins folder's, on either side.
        {L"Tools.xll", L"/R tools.XLL", true},
        {kBase.addInsFolder + L"\\Tools.xll", L"/R Tools.xll", true},
        {L"Tools.xll", L"\"" + kBase.addInsFolder + L"\\TOOLS.xll\"", true},
        {sample, L"Sample.xlam", false},
        // Never an automation add-in, however its ProgID reads.
        {sample, L"/A C:\\Add-ins\\Sample.xlam", false},
        {sample, L"C:\\Other\\Sample.xlam", false},
        {sample, L"C:\\Add-ins\\Sample.xlam.bak", false},
        {sample, L"C:\\Add-ins\\Sample", false},
        {sample, L"", false},
        {sample, L"/R", false},
        {L"", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.addIn) + " against " + Shown(c.data));
        const AddInMatcher addIn(c.addIn, kBase);
        EXPECT_EQ(addIn.NamedBy(StringValue(L"OPEN", c.data)), c.names);
    }
    // Only text names a file.
    EXPECT_FALSE(AddInMatcher(sample, kBase).NamedBy({L"OPEN", REG_BINARY, {'C', 0, ':', 0}}));
}

TEST(AddInMatch, KnowsTheAddInsFolderAndTheDialogsNames)
{
    EXPECT_TRUE(AddInMatcher(L"Tools.xll", kBase).InAddInsFolder());
    EXPECT_TRUE(
        AddInMatcher(L"c:\\users\\ANN\\AppData\\Roaming\\Microsoft\\AddIns\\Tools.xll", kBase)
            .InAddInsFolder());
    EXPECT_FALSE(AddInMatcher(L"C:\\Add-ins\\Tools.xll", kBase).InAddInsFolder());
    EXPECT_FALSE(AddInMatcher(kBase.addInsFolder + L"\\Sub\\Tools.xll", kBase).InAddInsFolder());

    const AddInMatcher addIn(L"C:\\Add-ins\\.\\Sample.xlam", kBase);
    EXPECT_EQ(addIn.FullPath(), L"C:\\Add-ins\\Sample.xlam");
    EXPECT_TRUE(addIn.IsPath(L"c:\\add-ins\\sample.xlam"));
    EXPECT_FALSE(addIn.IsPath(L"C:\\Add-ins\\Other.xlam"));
    EXPECT_FALSE(addIn.IsPath(L""));
}

// Installers and Excel may store an existing file's 8.3 name.
TEST(AddInMatch, ShortNamesOfExistingFilesAreTheirLongNames)
{
    const std::wstring folder = L"C:\\uninstall-addin-tests\\Long Folder Name";
    const std::wstring file = folder + L"\\Long File Name.xlam";
    CreateDirectoryW(L"C:\\uninstall-addin-tests", nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    HANDLE created = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(file.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortName), file);

    EXPECT_TRUE(AddInMatcher(file, kBase).NamedBy(StringValue(L"OPEN", shortName)));
    EXPECT_TRUE(AddInMatcher(shortName, kBase).NamedBy(StringValue(L"OPEN", L"\"" + file + L"\"")));
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

// A user's value may name a share, or a drive mapped to one: asking the file
// system about it would connect there. The test prefixes' D: is removable,
// E: a network drive.
TEST(AddInMatch, LooksUpShortNamesOnlyOnLocalFixedDisks)
{
    struct Case {
        std::wstring data;
        const wchar_t* lookedUp;  // the path the file system is asked about
    };
    const Case cases[] = {
        {L"C:\\Add-ins\\SAMPLE~1.XLA", L"C:\\Add-ins\\SAMPLE~1.XLA"},
        {L"\\\\?\\C:\\Add-ins\\SAMPLE~1.XLA", L"C:\\Add-ins\\SAMPLE~1.XLA"},
        {L"C:\\Add-ins\\Other.xlam", nullptr},
        {L"\\\\host\\s\\A~1.xlam", nullptr},
        {L"\\\\?\\UNC\\host\\s\\A~1.xlam", nullptr},
        {L"//host/s/A~1.xlam", nullptr},
        {L"\\\\.\\UNC\\host\\s\\A~1.xlam", nullptr},
        {L"D:\\A~1.xlam", nullptr},
        {L"E:\\A~1.xlam", nullptr},
        {L"Q:\\A~1.xlam", nullptr},  // no such drive
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.data));
        std::vector<std::wstring> asked;
        const AddInMatcher addIn(L"C:\\Add-ins\\Sample.xlam", kBase, [&](const std::wstring& path) {
            asked.push_back(path);
            return std::wstring(L"C:\\Add-ins\\Sample.xlam");
        });
        EXPECT_EQ(addIn.NamedBy(StringValue(L"OPEN", c.data)), c.lookedUp != nullptr);
        EXPECT_EQ(asked,
                  c.lookedUp ? std::vector<std::wstring>{c.lookedUp} : std::vector<std::wstring>{});
    }
    // Nor is the add-in's own path looked up on a share.
    std::vector<std::wstring> asked;
    const AddInMatcher onShare(L"\\\\host\\s\\A~1.xlam", kBase, [&](const std::wstring& path) {
        asked.push_back(path);
        return path;
    });
    EXPECT_TRUE(onShare.IsPath(L"\\\\HOST\\s\\a~1.xlam"));
    EXPECT_TRUE(asked.empty());
}

}  // namespace
