// The hives a run loads under HKEY_USERS: which ones a killed run left for
// the next run to unload, which unloads are worth trying again, and when a
// load made the empty hive it was handed instead of the user's.

#include "users/hive_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned long kOwn = 4242;

TEST(HiveRules, AHiveOfThisProgramsNamingIsALeftoverOnceItsRunIsGone)
{
    struct Case {
        std::wstring name;
        LoaderState loader;
        bool leftover;  // false also for a name that is not of this program's form
    };
    const Case cases[] = {
        {L"uninstall-addin-999999-1", LoaderState::None, true},
        {L"uninstall-addin-1200-3", LoaderState::Unopenable, true},
        {L"uninstall-addin-1200-3", LoaderState::Ended, true},
        {L"uninstall-addin-1200-3", LoaderState::OtherProgram, true},
        {L"uninstall-addin-1200-3", LoaderState::ThisProgram, false},
        {L"uninstall-addin-1200-3", LoaderState::Unknown, false},
        // The id was reused: this run has loaded nothing yet.
        {L"uninstall-addin-4242-1", LoaderState::ThisProgram, true},
        {L"uninstall-addin-4242-7", LoaderState::Unknown, true},
        // Key names compare without regard to case.
        {L"Uninstall-AddIn-1200-3", LoaderState::None, true},
        // Only this program's exact form.
        {L"S-1-5-21-1111-2222-3333-1001", LoaderState::None, false},
        {L".DEFAULT", LoaderState::None, false},
        {L"uninstall-addin-1200", LoaderState::None, false},
        {L"uninstall-addin-1200-", LoaderState::None, false},
        {L"uninstall-addin--3", LoaderState::None, false},
        {L"uninstall-addin-1200-3-1", LoaderState::None, false},
        {L"uninstall-addin-1200-3x", LoaderState::None, false},
        {L"uninstall-addin-01200-3", LoaderState::None, false},
        {L"uninstall-addin-1200-03", LoaderState::None, false},
        {L"uninstall-addin-0-3", LoaderState::None, false},
        {L"uninstall-addin-+1200-3", LoaderState::None, false},
        {L"uninstall-addin-4294967296-1", LoaderState::None, false},
        {L"my-uninstall-addin-1200-3", LoaderState::None, false},
        {L"uninstall-addins-1200-3", LoaderState::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()) + " " +
                     std::to_string(static_cast<int>(c.loader)));
        const std::optional<unsigned long> loader = LoaderOf(c.name);
        EXPECT_EQ(loader && IsLeftoverHive(*loader, kOwn, c.loader), c.leftover);
    }
    // The name a run gives is the one the next run reads.
    EXPECT_EQ(HiveLoadName(4294967295ul, 12), L"uninstall-addin-4294967295-12");
    EXPECT_EQ(LoaderOf(HiveLoadName(4294967295ul, 12)), 4294967295ul);
}

TEST(HiveRules, OnlyAHandleHeldElsewhereIsWorthWaitingFor)
{
    const std::pair<long, bool> cases[] = {
        {5, true},      // ERROR_ACCESS_DENIED: a key of the hive is open elsewhere
        {32, true},     // ERROR_SHARING_VIOLATION
        {33, true},     // ERROR_LOCK_VIOLATION
        {170, true},    // ERROR_BUSY
        {0, false},     // done
        {2, false},     // ERROR_FILE_NOT_FOUND: nothing (left) to unload
        {87, false},    // ERROR_INVALID_PARAMETER: not a hive's root
        {1314, false},  // ERROR_PRIVILEGE_NOT_HELD: no wait brings it
        {19, false},    // ERROR_WRITE_PROTECT: the system is shutting down
    };
    for (const auto& [status, retry] : cases) {
        EXPECT_EQ(HeldElsewhere(status), retry) << status;
    }
}

TEST(HiveRules, ALoadMadeTheHiveOnlyWhereItOpenedAnotherFileAndFoundItEmpty)
{
    using State = FileMark::State;
    const FileMark absent{State::Absent};
    const FileMark unknown{State::Unknown};
    const FileMark hive{State::Present, 7, 100, 5000};
    const FileMark log{State::Present, 7, 101, 5000};
    // Made anew under the old name: tunnelling gives it the old creation time.
    const FileMark newHive{State::Present, 7, 300, 5000};
    const FileMark newLog{State::Present, 7, 301, 9000};
    struct Case {
        const char* what;
        HiveFileMarks before;
        HiveFileMarks after;
        bool rootEmpty;
        LoadVerdict verdict;
    };
    const Case cases[] = {
        {"the user's hive, with its logs", {hive, log, log}, {hive, log, log}, false, {}},
        {"the user's hive, logs made by the load",
         {hive, absent, absent},
         {hive, newLog, newLog},
         false,
         {}},
        {"an empty hive that was there already",
         {hive, absent, absent},
         {hive, newLog, absent},
         true,
         {}},
        {"gone before the load, made by it",
         {absent, absent, absent},
         {newHive, newLog, absent},
         true,
         {true, true, true, false}},
        {"replaced by the load, its old logs kept",
         {hive, log, absent},
         {newHive, log, newLog},
         true,
         {true, true, false, true}},
        {"a log made anew under its old name",
         {hive, log, log},
         {newHive, newLog, log},
         true,
         {true, true, true, false}},
        // Another process put a real hive there: it is the user's now.
        {"replaced by a hive with keys", {hive, log, log}, {newHive, log, log}, false, {}},
        // What can't be told is never deleted.
        {"unknown at the look", {unknown, unknown, unknown}, {newHive, newLog, newLog}, true, {}},
        {"unknown after the load", {hive, log, log}, {unknown, unknown, unknown}, true, {}},
        {"a log unknown at the look",
         {absent, unknown, absent},
         {newHive, newLog, absent},
         true,
         {true, true, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadVerdict verdict = JudgeLoad(c.before, c.after, c.rootEmpty);
        EXPECT_EQ(verdict.madeByLoad, c.verdict.madeByLoad);
        EXPECT_EQ(verdict.removeHive, c.verdict.removeHive);
        EXPECT_EQ(verdict.removeLog1, c.verdict.removeLog1);
        EXPECT_EQ(verdict.removeLog2, c.verdict.removeLog2);
    }
}

}  // namespace
