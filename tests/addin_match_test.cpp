// Whether a value of Excel's list names the add-in, with the Windows side of
// path comparison: case by Windows' own rules, and short (8.3) names.

#include "addin_list/addin_match.h"
#include "addin_list/open_value.h"
#include "addin_list/registry_key.h"

#include "wide_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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

// A disk as a lookup sees it: the names of each folder on the way to one
// file, long and short. It answers for a path spelt with either.
class FakeDisk {
public:
    explicit FakeDisk(std::vector<NameForms> levels) : m_levels(std::move(levels)) {}

    std::optional<NameForms> LookUp(const std::wstring& path)
    {
        asked.push_back(path);
        const PathParts parts = PartsOf(path);
        if (!SameText(parts.root, L"C:") || parts.names.size() > m_levels.size()) {
            return std::nullopt;
        }
        for (size_t i = 0; i < parts.names.size(); ++i) {
            if (!SameText(parts.names[i], m_levels[i].longName) &&
                !SameText(parts.names[i], m_levels[i].shortName)) {
                return std::nullopt;
            }
        }
        return parts.names.empty() ? std::nullopt
                                   : std::optional<NameForms>(m_levels[parts.names.size() - 1]);
    }

    NameLookup Lookup()
    {
        return [this](const std::wstring& path) { return LookUp(path); };
    }

    std::vector<std::wstring> asked;

private:
    std::vector<NameForms> m_levels;
};

// A user's value is never looked up: as SYSTEM, asking about a path of the
// user's choosing could make the machine connect to a server of theirs. It
// is compared, folder by folder, with the names of the administrator's own
// path, which alone is looked up, once, and only on a local fixed disk. The
// test prefixes' D: is removable, E: a network drive.
TEST(AddInMatch, ComparesFolderByFolderWithTheNamesOfTheAdministratorsPathOnly)
{
    FakeDisk disk({{L"Program Files", L"PROGRA~1"},
                   {L"Contoso Tools", L"CONTOS~1"},
                   {L"Sales Add-in.xlam", L"SALESA~1.XLA"}});
    const std::wstring addIn = L"C:\\Program Files\\Contoso Tools\\Sales Add-in.xlam";
    const std::vector<std::wstring> onTheWay = {L"C:\\Program Files",
                                                L"C:\\Program Files\\Contoso Tools", addIn};
    const AddInMatcher matcher(addIn, kBase, {}, disk.Lookup());
    EXPECT_EQ(disk.asked, onTheWay);

    struct Case {
        std::wstring data;
        bool names;
    };
    const Case cases[] = {
        {addIn, true},
        {L"C:\\PROGRA~1\\CONTOS~1\\SALESA~1.XLA", true},
        {L"/R C:\\Program Files\\CONTOS~1\\Sales Add-in.xlam", true},
        {L"\"c:\\progra~1\\Contoso Tools\\salesa~1.xla\"", true},
        {L"C:\\Program Files\\x\\..\\CONTOS~1\\SALESA~1.XLA", true},
        // Another folder's or file's short name, or another place.
        {L"C:\\PROGRA~2\\CONTOS~1\\SALESA~1.XLA", false},
        {L"C:\\Program Files\\CONTOS~2\\Sales Add-in.xlam", false},
        {L"C:\\PROGRA~1\\CONTOS~1\\SALESA~2.XLA", false},
        {L"C:\\PROGRA~1\\CONTOS~1", false},
        {L"C:\\PROGRA~1\\CONTOS~1\\SALESA~1.XLA\\x", false},
        {L"D:\\PROGRA~1\\CONTOS~1\\SALESA~1.XLA", false},
        {L"\\\\host\\s\\PROGRA~1\\CONTOS~1\\SALESA~1.XLA", false},
        {L"E:\\A~1.xlam", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.data));
        EXPECT_EQ(matcher.NamedBy(StringValue(L"OPEN", c.data)), c.names);
        EXPECT_EQ(matcher.IsPath(ParseOpenValue(c.data).file), c.names);
    }
    EXPECT_EQ(disk.asked, onTheWay);

    // Given by its short name, the add-in is named by its long one.
    disk.asked.clear();
    const AddInMatcher typedShort(L"C:\\PROGRA~1\\CONTOS~1\\SALESA~1.XLA", kBase, {},
                                  disk.Lookup());
    EXPECT_EQ(typedShort.FullPath(), addIn);
    EXPECT_TRUE(typedShort.NamedBy(StringValue(L"OPEN", L"\"" + addIn + L"\"")));
    EXPECT_EQ(disk.asked.size(), 3u);

    // Nor is the administrator's path looked up on a share, or on any drive
    // but a local fixed disk: compared as given.
    for (const wchar_t* path : {L"\\\\host\\s\\A~1.xlam", L"\\\\?\\UNC\\host\\s\\A~1.xlam",
                                L"D:\\A~1.xlam", L"E:\\A~1.xlam", L"Q:\\A~1.xlam"}) {
        SCOPED_TRACE(Shown(path));
        disk.asked.clear();
        const AddInMatcher elsewhere(path, kBase, {}, disk.Lookup());
        EXPECT_TRUE(disk.asked.empty());
        EXPECT_TRUE(elsewhere.IsPath(path));
        EXPECT_FALSE(elsewhere.IsPath(L"C:\\A~1.xlam"));
    }
}

// /anyfolder: every copy, by the add-in's whole file name, in any folder.
// A short name elsewhere is looked up only in the run's own user's values;
// in another's it can't be told from another file's, and is no copy.
TEST(AddInMatch, AnyFolderFindsEveryCopyByItsWholeName)
{
    const std::wstring addIn = L"C:\\Program Files\\Contoso\\Contoso.xlam";
    const std::map<std::wstring, NameForms> disk = {
        {L"C:\\Program Files", {L"Program Files", L"PROGRA~1"}},
        {L"C:\\Program Files\\Contoso", {L"Contoso", L""}},
        {addIn, {L"Contoso.xlam", L"CONTOS~1.XLA"}},
        {L"C:\\Users\\ann\\Desktop\\CONTOS~1.XLA", {L"Contoso.xlam", L"CONTOS~1.XLA"}},
        {L"C:\\Users\\ann\\Desktop\\CONTOS~2.XLA", {L"ContosoTools.xlam", L"CONTOS~2.XLA"}},
    };
    std::vector<std::wstring> asked;
    const NameLookup lookUp = [&](const std::wstring& path) -> std::optional<NameForms> {
        asked.push_back(path);
        const auto found = disk.find(path);
        return found == disk.end() ? std::nullopt : std::optional<NameForms>(found->second);
    };
    struct Case {
        std::wstring data;
        bool ownUser;  // in the values of the run's own user
        bool names;
        bool lookedUp;  // the user's value asked about
    };
    const Case cases[] = {
        {L"C:\\Users\\ann\\Desktop\\Contoso.xlam", false, true, false},
        {L"/R \"D:\\Old Version\\CONTOSO.XLAM\"", false, true, false},
        {L"\\\\srv\\share\\contoso.xlam", false, true, false},
        {L"Contoso.xlam", false, true, false},
        {L"C:\\PROGRA~1\\Contoso\\CONTOS~1.XLA", false, true, false},
        // Never a look-alike, nor an automation add-in.
        {L"C:\\Users\\ann\\Desktop\\ContosoTools.xlam", true, false, false},
        {L"C:\\Users\\ann\\Desktop\\Contoso.xlam.bak", true, false, false},
        {L"C:\\Users\\ann\\Desktop\\Contoso(1).xlam", true, false, false},
        {L"C:\\Users\\ann\\Desktop\\Contoso.xla", true, false, false},
        {L"/A Contoso.xlam", true, false, false},
        // A short name elsewhere: whose it is, only a look can tell.
        {L"C:\\Users\\ann\\Desktop\\CONTOS~1.XLA", true, true, true},
        {L"C:\\Users\\ann\\Desktop\\CONTOS~2.XLA", true, false, true},
        {L"C:\\Users\\ann\\Desktop\\CONTOS~1.XLA", false, false, false},
        {L"E:\\Users\\ann\\CONTOS~1.XLA", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.data) + (c.ownUser ? " (own)" : ""));
        const AddInMatcher matcher(addIn, kBase, {true, c.ownUser}, lookUp);
        asked.clear();
        EXPECT_EQ(matcher.NamedBy(StringValue(L"OPEN", c.data)), c.names);
        EXPECT_EQ(asked.empty(), !c.lookedUp);
    }
}

}  // namespace
