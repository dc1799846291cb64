// Which locks a run takes before it changes Excel's add-in lists, and whose
// such a lock may be. Pure: no I/O, no Windows.
//
// Two runs that change one user's list at once would each write from what
// they read: the later one could put back a value the other removed. So a
// run changes a list only while it holds that list's locks. A user's own run
// takes the lock named for that user. An administrator's run (SYSTEM, or
// the Administrators group enabled in its token) takes the administrators'
// lock first, for as long as it changes anything, and then, for a user who
// may be running one of their own, that user's lock too, with a short
// wait. So a lock a user can hold delays only that user's own list.
#pragma once

#include <string>
#include <vector>

enum class LockKind {
    // A private namespace of the Administrators' boundary, made by the run
    // that has the turn: no other account can make, open or hold it, and it
    // ends when its maker closes it or ends, however it ends.
    AdministratorsNamespace,
    // Where private namespaces can't be made (Wine): a mutex that only SYSTEM
    // and Administrators may wait on.
    AdministratorsMutex,
    // A user's: a mutex named for their SID, which that user, SYSTEM and
    // Administrators may wait on.
    UsersMutex,
};

struct ListsLock {
    LockKind kind;
    std::wstring name;      // the namespace's prefix, or the mutex's name
    std::wstring security;  // the object's security descriptor, in SDDL, its owner included
    unsigned waitSeconds;   // the longest wait for it; 0: as long as it takes
};

// How long an administrator's run waits for a user's lock: a few seconds,
// or less where the run's time limit is shorter.
constexpr unsigned kUsersLockWaitSeconds = 5;

// The administrators' lock, waited for up to the run's time limit.
ListsLock AdministratorsLock(bool namespacesAvailable, unsigned timeoutSeconds);

// The user sid's lock, as a run takes it. For another user's lists an
// administrator's run waits a short while; for the run's own lists it waits
// up to the time limit, as only that user can keep their lock and so keeps
// only themselves waiting. An administrator's run makes it owned by
// Administrators, the user's own run by the user.
ListsLock UsersLock(const std::wstring& sid, bool administratorsRun, bool ownLists,
                    unsigned timeoutSeconds);

// The locks a run takes, in this order, to change its own user's lists.
std::vector<ListsLock> LocksForOwnLists(const std::wstring& sid, bool administratorsRun,
                                        bool namespacesAvailable, unsigned timeoutSeconds);

// Whether a lock found made already may be used: its owner is SYSTEM or
// Administrators, or for a user's lock that user. One that another account
// made is no lock of the runs': that account could hold it for ever.
bool IsRightfulOwner(const ListsLock& lock, const std::wstring& ownerSid,
                     const std::wstring& usersSid);
