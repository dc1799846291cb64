// Who runs the program and where, as the runs decide from it: a service
// account needs /allusers, boxes nobody can see turn into lines, and an
// /allusers run covers each profile of the machine once.

#include "report/unseen_boxes.h"
#include "users/profile_entries.h"
#include "users/service_accounts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UnattendedRules, AServiceAccountNeedsAllUsers)
{
    struct Case {
        std::wstring sid;
        bool allUsers;
        std::string named;  // the account the problem names; empty: no problem
    };
    const Case cases[] = {
        {L"S-1-5-18", false, "SYSTEM (S-1-5-18)"},
        {L"S-1-5-19", false, "LOCAL SERVICE (S-1-5-19)"},
        {L"S-1-5-20", false, "NETWORK SERVICE (S-1-5-20)"},
        {L"s-1-5-18", false, "SYSTEM (S-1-5-18)"},
        {L"S-1-5-18", true, ""},
        {L"S-1-5-20", true, ""},
        {L"S-1-5-21-1004336348-1177238915-682003330-1001", false, ""},
        // Only the whole SID: an administrator, a local account's RID 18.
        {L"S-1-5-32-544", false, ""},
        {L"S-1-5-180", false, ""},
        {L"S-1-5-21-1-2-3-18", false, ""},
        // An account that could not be told is let through.
        {L"", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sid.begin(), c.sid.end()));
        const std::string problem = ServiceAccountProblem(c.sid, c.allUsers);
        if (c.named.empty()) {
            EXPECT_EQ(problem, "");
        } else {
            EXPECT_EQ(problem, "this runs as " + c.named +
                                   ", a service account whose own Excel lists no user sees: add "
                                   "/allusers to reach every user's lists");
        }
    }
}

TEST(UnattendedRules, BoxesGoUnseenOnlyWhereTheWindowStationIsSurelyInvisible)
{
    struct Case {
        bool flagsRead;
        unsigned long flags;
        bool unseen;
    };
    const Case cases[] = {
        {true, kWindowStationVisible, false},
        {true, 0, true},
        // Other flags (WSF_ and DF_ bits alike) don't count.
        {true, 0x0002 | 0x0004, true},
        {true, kWindowStationVisible | 0x0002, false},
        {false, 0, false},
        {false, kWindowStationVisible, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.flagsRead) + " " + std::to_string(c.flags));
        EXPECT_EQ(BoxesWouldGoUnseen(c.flagsRead, c.flags), c.unseen);
    }
}

TEST(UnattendedRules, CoversEachProfileFolderOnce)
{
    const std::wstring ann = L"S-1-5-21-1-2-3-1001";
    const std::wstring bob = L"S-1-5-21-1-2-3-1002";
    struct Case {
        const char* what;
        std::vector<ProfileEntry> entries;
        std::vector<CoveredProfile> covered;
    };
    const Case cases[] = {
        {"users, without the service accounts and keys that name none",
         {{L"S-1-5-18", L"C:\\Windows\\system32\\config\\systemprofile"},
          {L"S-1-5-19", L"C:\\Windows\\ServiceProfiles\\LocalService"},
          {L"S-1-5-20", L"C:\\Windows\\ServiceProfiles\\NetworkService"},
          {L"S-1-5-18.bak", L"C:\\Windows\\system32\\config\\systemprofile"},
          {L"Default", L"C:\\Users\\Default"},
          {ann, L"C:\\Users\\ann"},
          {bob + L".old", L"C:\\Users\\bob"},
          {bob, L""}},
         {{ann, L"C:\\Users\\ann", true}, {bob, L"", true}}},
        {"a temporary profile: the .bak key names the real one",
         {{ann, L"C:\\Users\\TEMP"}, {ann + L".bak", L"C:\\Users\\ann"}},
         {{ann, L"C:\\Users\\TEMP", true}, {ann, L"C:\\Users\\ann", false}}},
        {"a .bak key alone",
         {{ann + L".BAK", L"C:\\Users\\ann"}},
         {{ann, L"C:\\Users\\ann", true}}},
        {"both keys name one folder, in either order and spelling",
         {{ann + L".bak", L"c:\\users\\ANN\\"}, {ann, L"C:\\Users\\ann"}},
         {{ann, L"C:\\Users\\ann", true}}},
        {"neither key names a folder", {{ann, L""}, {ann + L".bak", L""}}, {{ann, L"", true}}},
        {"two users name one folder: the first covers it",
         {{ann, L"C:\\Users\\shared"}, {bob, L"C:\\Users\\Shared"}},
         {{ann, L"C:\\Users\\shared", true}}},
        {"a .bak key naming a folder another user's key names first",
         {{bob, L"C:\\Users\\ann"}, {ann + L".bak", L"C:\\Users\\ann"}, {ann, L"C:\\Users\\TEMP"}},
         {{bob, L"C:\\Users\\ann", true}, {ann, L"C:\\Users\\TEMP", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<CoveredProfile> covered = ProfilesToCover(c.entries);
        ASSERT_EQ(covered.size(), c.covered.size());
        for (size_t i = 0; i < covered.size(); ++i) {
            EXPECT_EQ(covered[i].sid, c.covered[i].sid) << i;
            EXPECT_EQ(covered[i].folder, c.covered[i].folder) << i;
            EXPECT_EQ(covered[i].ownsLoadedHive, c.covered[i].ownsLoadedHive) << i;
        }
    }
}

}  // namespace
