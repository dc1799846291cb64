#include "addin_list/lists_turn.h"

#include "report/exit_status.h"
#include "report/log_file.h"
#include "report/text.h"
#include "system/process_token.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL;
// How often a run looks whether the namespace that is the administrators'
// turn is free again.
constexpr DWORD kNamespacePollMs = 100;

std::string Named(const std::wstring& name)
{
    return AnsiFromWide(name);
}

// The SID that owns a kernel object; empty when it can't be told.
std::wstring OwnerOf(HANDLE object)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    const std::wstring sid = owner != nullptr ? SidText(owner) : std::wstring();
    LocalFree(descriptor);
    return sid;
}

void LogWaiting(const ListsLock& lock)
{
    LogEvent("waiting: another run is changing Excel's add-in lists (" + Named(lock.name) + ")");
}

bool TakeReporting(HeldLock& held, const ListsLock& lock, const std::wstring& usersSid, int& status)
{
    std::string why;
    switch (held.Take(lock, usersSid, why)) {
    case HeldLock::Outcome::Taken: return true;
    case HeldLock::Outcome::Busy:
        ReportError("Another run is changing Excel's add-in lists; nothing was changed, try "
                    "again later",
                    "uninstall-addin");
        status = kExitExcelWasRunning;
        return false;
    case HeldLock::Outcome::Failed: break;
    }
    ReportError("Excel's add-in lists could not be reserved for this run: " + why, "Error");
    status = kExitListFailed;
    return false;
}

// Whether the administrators' lock can be the private namespace; the log
// says so the first time it can't.
bool NamespacesHere()
{
    const bool available = PrivateNamespace::Available();
    static bool told = false;
    if (!available && !told) {
        told = true;
        LogEvent("turn: private namespaces can't be made here; the administrators' lock is the "
                 "mutex " +
                 Named(AdministratorsLock(false, 0).name));
    }
    return available;
}

}  // namespace

HeldLock::Outcome HeldLock::Take(const ListsLock& lock, const std::wstring& usersSid,
                                 std::string& why)
{
    Release();
    const Outcome outcome = lock.kind == LockKind::AdministratorsNamespace
                                ? TakeNamespace(lock, why)
                                : TakeMutex(lock, usersSid, why);
    if (outcome == Outcome::Taken) {
        m_boxes.emplace();
    }
    return outcome;
}

HeldLock::Outcome HeldLock::TakeNamespace(const ListsLock& lock, std::string& why)
{
    // The namespace is the turn itself: it exists while its maker has the
    // turn, and whoever makes it next has it next. No run ever opens it or
    // keeps anything in it, so nothing can outlive it and let two runs in.
    const ULONGLONG deadline = GetTickCount64() + lock.waitSeconds * 1000ULL;
    for (bool waiting = false;; waiting = true) {
        DWORD error = ERROR_SUCCESS;
        switch (m_namespace.Make(lock.name, lock.security, error)) {
        case PrivateNamespace::Made::Yes: return Outcome::Taken;
        case PrivateNamespace::Made::Failed:
            why = "the private namespace " + Named(lock.name) +
                  " could not be made: " + SystemMessage(error);
            return Outcome::Failed;
        case PrivateNamespace::Made::Exists: break;
        }
        if (!waiting) {
            LogWaiting(lock);
        }
        const ULONGLONG now = GetTickCount64();
        if (lock.waitSeconds != 0 && now >= deadline) {
            return Outcome::Busy;
        }
        Sleep(lock.waitSeconds == 0
                  ? kNamespacePollMs
                  : static_cast<DWORD>(std::min<ULONGLONG>(kNamespacePollMs, deadline - now)));
    }
}

HeldLock::Outcome HeldLock::TakeMutex(const ListsLock& lock, const std::wstring& usersSid,
                                      std::string& why)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            lock.security.c_str(), SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
        why = "its security could not be set up: " + SystemMessage(GetLastError());
        return Outcome::Failed;
    }
    m_mutex = OwnedHandle(CreateMutexExW(&attributes, lock.name.c_str(), 0, kMutexAccess));
    const DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    const std::string name = Named(lock.name);
    if (!m_mutex) {
        if (error == ERROR_INVALID_HANDLE) {
            why = "the name " + name + " is taken by an object of another kind";
        } else if (error == ERROR_ACCESS_DENIED) {
            why = "the mutex " + name + " can't be opened (" + SystemMessage(error) +
                  "): another account made it";
        } else {
            why = "the mutex " + name + " could not be made: " + SystemMessage(error);
        }
        return Outcome::Failed;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        const std::wstring owner = OwnerOf(m_mutex.Get());
        if (!IsRightfulOwner(lock, owner, usersSid)) {
            why = "the mutex " + name + " was made by another account (" +
                  (owner.empty() ? std::string("its owner can't be told") : Named(owner)) +
                  "), so it is no lock of this program's runs";
            m_mutex.Close();
            return Outcome::Failed;
        }
    }
    DWORD wait = WaitForSingleObject(m_mutex.Get(), 0);
    if (wait == WAIT_TIMEOUT) {
        LogWaiting(lock);
        wait = WaitForSingleObject(m_mutex.Get(),
                                   lock.waitSeconds == 0 ? INFINITE : lock.waitSeconds * 1000);
    }
    switch (wait) {
    case WAIT_OBJECT_0: m_mutexHeld = true; return Outcome::Taken;
    case WAIT_ABANDONED:
        // Its holder ended in the middle of a change, which leaves at worst
        // one value twice (see PlanRemoval); the lists are usable as they are.
        LogEvent("taken over: " + name +
                 ", left held by a run that ended while changing Excel's add-in lists");
        m_mutexHeld = true;
        return Outcome::Taken;
    case WAIT_TIMEOUT: m_mutex.Close(); return Outcome::Busy;
    default:
        why = "waiting for the mutex " + name + " failed: " + SystemMessage(GetLastError());
        m_mutex.Close();
        return Outcome::Failed;
    }
}

void HeldLock::Release()
{
    if (m_mutexHeld) {
        ReleaseMutex(m_mutex.Get());
        m_mutexHeld = false;
    }
    m_mutex.Close();
    m_namespace.Close();
    // Last: the boxes that waited are shown once the lock is given up.
    m_boxes.reset();
}

bool OwnListsTurn::Take(unsigned seconds, int& status)
{
    Release();
    const std::wstring sid = CurrentUserSid();
    if (sid.empty()) {
        ReportError("Excel's add-in lists could not be reserved for this run: the user it runs "
                    "as can't be told",
                    "Error");
        status = kExitListFailed;
        return false;
    }
    const std::vector<ListsLock> locks =
        LocksForOwnLists(sid, IsAdministratorsRun(), NamespacesHere(), seconds);
    for (size_t i = 0; i < locks.size() && i < kMostLocks; ++i) {
        if (!TakeReporting(m_locks[i], locks[i], sid, status)) {
            Release();
            return false;
        }
    }
    return true;
}

void OwnListsTurn::Release()
{
    // The other way round: the first lock's waiting boxes are shown last.
    for (size_t i = kMostLocks; i > 0; --i) {
        m_locks[i - 1].Release();
    }
}

bool AdministratorsTurn::Take(unsigned seconds, int& status)
{
    return TakeReporting(m_lock, AdministratorsLock(NamespacesHere(), seconds), L"", status);
}

bool IsAdministratorsRun()
{
    static const bool administrators = RunsAsAdministrator() || CurrentUserSid() == L"S-1-5-18";
    return administrators;
}

ListsLock UsersLockFor(const std::wstring& sid, unsigned timeoutSeconds)
{
    return UsersLock(sid, true, false, timeoutSeconds);
}
