// Who runs the program and where, as the runs decide from it: a service
// account needs /allusers, boxes nobody can see turn into lines, and an
// /allusers run covers each profile of the machine once.

#include "report/unseen_boxes.h"
#include "system/path_state.h"
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
        // Every account that is no person's, not only the three well known.
        {L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", false,
         "a service's virtual account (S-1-5-80-956008885-3418522649-1831038044-1853292631-"
         "2271478464)"},
        {L"S-1-5-82-3006700770-424185619-1745488364-794895919-4004696415", false,
         "an application pool's identity (S-1-5-82-3006700770-424185619-1745488364-794895919-"
         "4004696415)"},
        {L"S-1-5-90-0-1", false, "a Desktop Window Manager account (S-1-5-90-0-1)"},
        {L"S-1-5-180", false, "an account that is no person's (S-1-5-180)"},
        {L"S-1-5-21", false, "an account that is no person's (S-1-5-21)"},
        {L"S-1-5-80-1", true, ""},
        // A person's: local, domain or Entra ID, whatever its RID.
        {L"S-1-5-21-1-2-3-18", false, ""},
        {L"s-1-5-21-1-2-3-500", false, ""},
        {L"S-1-12-1-1234567890-1234567890-1234567890-1234567890", false, ""},
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

TEST(UnattendedRules, BoxesGoUnseenInSessionZeroAndWhereTheWindowStationIsSurelyInvisible)
{
    const std::string station = "the window station is not visible";
    const std::string sessionZero =
        "the run is in session 0, where services run and nobody sees the desktop";
    struct Case {
        Screen screen;
        std::string why;  // empty: seen
    };
    const Case cases[] = {
        {{true, kWindowStationVisible, true, 1}, ""},
        {{true, 0, true, 1}, station},
        // Other flags (WSF_ and DF_ bits alike) don't count.
        {{true, 0x0002 | 0x0004, true, 2}, station},
        {{true, kWindowStationVisible | 0x0002, true, 1}, ""},
        {{false, 0, true, 1}, ""},
        {{false, kWindowStationVisible, false, 0}, ""},
        // An interactive service's window station calls itself visible.
        {{true, kWindowStationVisible, true, 0}, sessionZero},
        {{false, 0, true, 0}, sessionZero},
        {{true, 0, true, 0}, sessionZero},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.screen.flags) + " in session " +
                     std::to_string(c.screen.session));
        const char* why = WhyBoxesGoUnseen(c.screen);
        EXPECT_EQ(why == nullptr ? "" : why, c.why);
    }
}

// Drive letters belong to a logon session: an elevated run doesn't see the
// user's mapped drives, and what lies there is not gone.
TEST(UnattendedRules, OnlyNotFoundWhereTheFolderOrDriveIsThereIsGone)
{
    constexpr unsigned long kAccessDenied = 5;
    constexpr unsigned long kBadNetPath = 53;
    struct Case {
        FailedLook look;
        FileState state;
    };
    const Case cases[] = {
        {{kFileNotFound, true, true, true}, FileState::Gone},
        {{kPathNotFound, true, true, false}, FileState::Gone},
        {{kPathNotFound, true, false, false}, FileState::NoDrive},
        {{kFileNotFound, true, false, false}, FileState::NoDrive},
        {{kAccessDenied, true, false, false}, FileState::NoDrive},
        // A file not found where its folder can't be seen either.
        {{kFileNotFound, true, true, false}, FileState::Unknown},
        {{kAccessDenied, true, true, true}, FileState::Unknown},
        // A share that answered, and one out of reach.
        {{kPathNotFound, false, true, false}, FileState::Gone},
        {{kFileNotFound, false, true, true}, FileState::Gone},
        {{kBadNetPath, false, true, false}, FileState::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.look.error) + (c.look.onDriveLetter ? " on a drive" : "") +
                     (c.look.driveIsThere ? " there" : "") +
                     (c.look.parentIsFolder ? " in a folder" : ""));
        EXPECT_EQ(StateAfterFailedLook(c.look), c.state);
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
          {L"S-1-5-82-1-2-3-4-5", L"C:\\Users\\DefaultAppPool"},
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
