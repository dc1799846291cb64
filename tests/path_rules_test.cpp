#include "addin_list/path_rules.h"

#include "wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const PathBase kBase = {L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\AddIns",
                        L"D:\\Deploy\\Contoso"};

TEST(PathRules, ResolvesEachSpellingToOneFullPath)
{
    struct Case {
        std::wstring path;
        std::wstring full;
    };
    const Case cases[] = {
        {L"C:\\Add-ins\\x.xlam", L"C:\\Add-ins\\x.xlam"},
        // Case is kept; comparing without regard to it is the caller's.
        {L"c:\\ADD-INS\\X.XLAM", L"c:\\ADD-INS\\X.XLAM"},
        {L"C:/Add-ins/x.xlam", L"C:\\Add-ins\\x.xlam"},
        {L"C:\\Add-ins\\\\x.xlam", L"C:\\Add-ins\\x.xlam"},
        {L"C:\\Add-ins\\.\\x.xlam", L"C:\\Add-ins\\x.xlam"},
        {L"C:\\Add-ins\\old\\..\\x.xlam", L"C:\\Add-ins\\x.xlam"},
        {L"C:\\a\\b\\..\\..\\Add-ins\\x.xlam", L"C:\\Add-ins\\x.xlam"},
        // ".." never climbs above the root.
        {L"C:\\..\\..\\x.xlam", L"C:\\x.xlam"},
        // Windows drops trailing dots and blanks from the last segment.
        {L"C:\\Add-ins\\x.xlam. ", L"C:\\Add-ins\\x.xlam"},
        {L"\\\\?\\C:\\Add-ins\\x.xlam", L"C:\\Add-ins\\x.xlam"},
        {L"\\\\server\\share\\Add-ins\\x.xlam", L"\\\\server\\share\\Add-ins\\x.xlam"},
        {L"\\\\server\\share\\..\\x.xlam", L"\\\\server\\share\\x.xlam"},
        {L"\\\\?\\UNC\\server\\share\\x.xlam", L"\\\\server\\share\\x.xlam"},
        {L"//server/share/x.xlam", L"\\\\server\\share\\x.xlam"},
        // A bare name is Excel's: in the user's add-ins folder.
        {L"calc.xll", L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\AddIns\\calc.xll"},
        // Other relative paths are the current folder's.
        {L"sub\\x.xlam", L"D:\\Deploy\\Contoso\\sub\\x.xlam"},
        {L".\\x.xlam", L"D:\\Deploy\\Contoso\\x.xlam"},
        {L"..\\x.xlam", L"D:\\Deploy\\x.xlam"},
        {L"\\Add-ins\\x.xlam", L"D:\\Add-ins\\x.xlam"},
        {L"D:x.xlam", L"D:\\Deploy\\Contoso\\x.xlam"},
        {L"E:x.xlam", L"E:\\x.xlam"},
        {L"C:\\", L"C:\\"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.path));
        EXPECT_EQ(FullPath(c.path, kBase), c.full);
    }
}

TEST(PathRules, TellsBareNamesAndFolders)
{
    EXPECT_TRUE(IsBareFileName(L"calc.xll"));
    EXPECT_TRUE(IsBareFileName(L"Sales Tools.xlam"));
    for (const wchar_t* path :
         {L"", L".", L"..", L"sub\\calc.xll", L"sub/calc.xll", L"C:calc.xll", L"\\calc.xll"}) {
        EXPECT_FALSE(IsBareFileName(path)) << Shown(path);
    }
    EXPECT_EQ(ParentFolder(L"C:\\Add-ins\\x.xlam"), L"C:\\Add-ins");
    EXPECT_EQ(ParentFolder(L"C:\\x.xlam"), L"C:\\");
    EXPECT_EQ(ParentFolder(L"\\\\server\\share\\x.xlam"), L"\\\\server\\share");
    EXPECT_EQ(ParentFolder(L"x.xlam"), L"");
}

// Which volume a path lies on decides whether Excel would offer to copy the
// add-in; a share taken for a drive, or a device for a share, asks the
// wrong question.
TEST(PathRules, TellsTheVolumeAPathLiesOn)
{
    struct Case {
        std::wstring path;
        std::wstring driveRoot;
        bool share;
    };
    const Case cases[] = {
        {L"C:\\Add-ins\\x.xlam", L"C:\\", false},
        {L"e:\\x.xlam", L"e:\\", false},
        {L"\\\\?\\D:\\x.xlam", L"D:\\", false},
        {L"\\\\server\\share\\x.xlam", L"", true},
        {L"//server/share/x.xlam", L"", true},
        {L"\\\\?\\UNC\\server\\share\\x.xlam", L"", true},
        {L"\\\\.\\C:\\x.xlam", L"", false},
        {L"\\\\?\\Volume{0b1c2d3e-0000-0000-0000-000000000000}\\x.xlam", L"", false},
        {L"", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.path));
        EXPECT_EQ(DriveRoot(c.path), c.driveRoot);
        EXPECT_EQ(IsSharePath(c.path), c.share);
    }
}

}  // namespace
