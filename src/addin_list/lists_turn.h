// One change of Excel's add-in lists at a time: the locks a run holds while
// it changes them (turn_rules.h says which and why). While a run holds
// one, the boxes it would show wait, so that a box nobody answers holds no
// other run back.
#pragma once

#include "addin_list/turn_rules.h"
#include "report/report.h"
#include "system/owned_handle.h"
#include "system/private_namespace.h"

#include <windows.h>

#include <optional>
#include <string>

// One lock, held, and its one owner, which gives it up.
class HeldLock {
public:
    enum class Outcome { Taken, Busy, Failed };

    HeldLock() = default;
    ~HeldLock() { Release(); }

    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    // Waits up to the lock's wait for it; usersSid is whose lock a user's is.
    // Busy when another run kept it all that while; Failed, with why, when it
    // can't be had: a name taken by an object of another kind or made by
    // another account, or one that can't be opened or made. A mutex whose
    // holder ended without giving it up is taken over, with a log line.
    Outcome Take(const ListsLock& lock, const std::wstring& usersSid, std::string& why);
    void Release();

private:
    Outcome TakeNamespace(const ListsLock& lock, std::string& why);
    Outcome TakeMutex(const ListsLock& lock, const std::wstring& usersSid, std::string& why);

    PrivateNamespace m_namespace;
    OwnedHandle m_mutex;
    bool m_mutexHeld = false;
    std::optional<BoxesWait> m_boxes;
};

// A run's turn at its own user's lists: for an administrator's run the
// administrators' lock and then this user's, for a user's own run this
// user's only.
class OwnListsTurn {
public:
    // Waits up to seconds (0: as long as it takes) for each lock. False when
    // the turn can't be had, having reported why; status is then the run's
    // exit status: kExitExcelWasRunning (try again later) while another run
    // kept a lock, kExitListFailed when one can't be had at all.
    bool Take(unsigned seconds, int& status);
    // Gives the locks up, and then shows the boxes that waited.
    void Release();

private:
    // The administrators' lock, then the user's (LocksForOwnLists).
    static constexpr size_t kMostLocks = 2;
    HeldLock m_locks[kMostLocks];
};

// The administrators' lock alone, for a run over every user, which takes
// each logged-on user's lock as it comes to them (UsersLockFor).
class AdministratorsTurn {
public:
    bool Take(unsigned seconds, int& status);
    void Release() { m_lock.Release(); }

private:
    HeldLock m_lock;
};

// Whether this run is an administrator's: SYSTEM's, or the Administrators
// group's enabled in its token.
bool IsAdministratorsRun();

// The lock of a logged-on user whose lists an administrator's run changes.
ListsLock UsersLockFor(const std::wstring& sid, unsigned timeoutSeconds);
