// Who runs the program and where, as the runs decide from it: a service
// account needs /allusers, boxes nobody can see turn into lines, and an
// /allusers run covers each profile of the machine once.

#include "addin_list/turn_rules.h"
#include "excel/seen_excel.h"
#include "report/unseen_boxes.h"
#include "system/path_state.h"
#include "users/profile_entries.h"
#include "users/service_accounts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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

// A lock no other account can make or hold: a user's only delays that
// user's own lists.
TEST(UnattendedRules, TakesLocksThatNoOtherAccountCanHold)
{
    const std::wstring ann = L"S-1-5-21-1-2-3-1001";
    const std::wstring annsLock = L"Global\\uninstall-addin-lists-" + ann;
    const std::wstring annOwns =
        L"O:" + ann + L"D:(A;;0x00120001;;;" + ann + L")(A;;0x00120001;;;SY)(A;;0x00120001;;;BA)";
    const std::wstring administratorsOwn =
        L"O:BAD:(A;;0x00120001;;;" + ann + L")(A;;0x00120001;;;SY)(A;;0x00120001;;;BA)";
    struct Case {
        const char* what;
        std::vector<ListsLock> taken;
        std::vector<ListsLock> wanted;
    };
    const Case cases[] = {
        {"a user's own run",
         LocksForOwnLists(ann, false, true, 120),
         {{LockKind::UsersMutex, annsLock, annOwns, 120}}},
        {"an administrator's run",
         LocksForOwnLists(ann, true, true, 0),
         {{LockKind::AdministratorsNamespace, L"uninstall-addin-lists",
           L"O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)", 0},
          {LockKind::UsersMutex, annsLock, administratorsOwn, 0}}},
        {"an administrator's run without private namespaces",
         LocksForOwnLists(ann, true, false, 30),
         {{LockKind::AdministratorsMutex, L"Global\\uninstall-addin-lists",
           L"O:BAD:(A;;0x00120001;;;SY)(A;;0x00120001;;;BA)", 30},
          {LockKind::UsersMutex, annsLock, administratorsOwn, 30}}},
        // Another user's lock, for an administrator's run: a short wait.
        {"another user's, no time limit",
         {UsersLock(ann, true, false, 0)},
         {{LockKind::UsersMutex, annsLock, administratorsOwn, kUsersLockWaitSeconds}}},
        {"another user's, a long limit",
         {UsersLock(ann, true, false, 120)},
         {{LockKind::UsersMutex, annsLock, administratorsOwn, kUsersLockWaitSeconds}}},
        {"another user's, a short limit",
         {UsersLock(ann, true, false, 2)},
         {{LockKind::UsersMutex, annsLock, administratorsOwn, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.taken.size(), c.wanted.size());
        for (size_t i = 0; i < c.taken.size(); ++i) {
            EXPECT_EQ(c.taken[i].kind, c.wanted[i].kind) << i;
            EXPECT_EQ(c.taken[i].name, c.wanted[i].name) << i;
            EXPECT_EQ(c.taken[i].security, c.wanted[i].security) << i;
            EXPECT_EQ(c.taken[i].waitSeconds, c.wanted[i].waitSeconds) << i;
        }
    }

    const ListsLock administrators = AdministratorsLock(false, 0);
    const ListsLock anns = UsersLock(ann, false, true, 0);
    struct Owner {
        const ListsLock* lock;
        std::wstring owner;
        bool rightful;
    };
    const Owner owners[] = {
        {&administrators, L"S-1-5-18", true},
        {&administrators, L"S-1-5-32-544", true},
        {&administrators, ann, false},
        {&administrators, L"", false},
        {&anns, ann, true},
        {&anns, L"S-1-5-18", true},
        {&anns, L"S-1-5-32-544", true},
        {&anns, L"S-1-5-21-1-2-3-1002", false},
        {&anns, L"S-1-5-32-545", false},
        {&anns, L"", false},
    };
    for (const Owner& o : owners) {
        SCOPED_TRACE(std::string(o.owner.begin(), o.owner.end()));
        EXPECT_EQ(IsRightfulOwner(*o.lock, o.owner, ann), o.rightful);
    }
}

// Whose an Excel is, in any session, and since when: told by its user and
// its creation time, as ids are reused.
TEST(UnattendedRules, TellsWhoseExcelAndSinceWhen)
{
    const std::wstring ann = L"S-1-5-21-1-2-3-1001";
    const std::wstring bob = L"S-1-5-21-1-2-3-1002";
    const SeenExcel thisRun = {7, 1000, ann, true, 2};
    const std::vector<SeenExcel> running = {
        {10, 500, ann, true, 2},   // open before the run
        {11, 1500, ann, true, 2},  // started by the run
        {12, 1600, ann, true, 0},  // a scheduled task's, in session 0
        {13, 1700, bob, true, 3},  // another user's
        {14, 0, L"", false, 0},    // one whose user can't be told
        {11, 1800, ann, true, 2},  // the run's id, reused by a new Excel
    };
    const auto ids = [](const std::vector<SeenExcel>& excels) {
        std::vector<std::pair<unsigned long, unsigned long long>> found;
        for (const SeenExcel& excel : excels) {
            found.emplace_back(excel.id, excel.created);
        }
        return found;
    };
    using Found = std::vector<std::pair<unsigned long, unsigned long long>>;
    EXPECT_EQ(ids(ExcelsOf(running, ann)), (Found{{10, 500}, {11, 1500}, {12, 1600}, {11, 1800}}));
    EXPECT_EQ(ids(ExcelsOf(running, L"")), Found{});
    EXPECT_TRUE(MayRunExcel(running, bob));
    EXPECT_TRUE(MayRunExcel({running[3]}, bob));
    EXPECT_TRUE(MayRunExcel({running[4]}, bob));
    EXPECT_FALSE(MayRunExcel({running[0], running[1]}, bob));
    EXPECT_FALSE(MayRunExcel({}, bob));

    // This run's own Excel: this user's, this session's, since its start.
    EXPECT_EQ(ids(StartedSince(running, ann, thisRun, 1500)), (Found{{11, 1500}, {11, 1800}}));
    EXPECT_EQ(ids(StartedSince(running, ann, {7, 1000, ann, false, 0}, 1500)),
              (Found{{11, 1500}, {12, 1600}, {11, 1800}}));
    // Opened during the run: since the program started, in any session,
    // none of the run's own, a reused id included.
    EXPECT_EQ(ids(OpenedSince(running, ann, thisRun.created, {running[1]})),
              (Found{{12, 1600}, {11, 1800}}));
    EXPECT_EQ(ids(OpenedSince(running, bob, thisRun.created, {})), (Found{{13, 1700}}));
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
