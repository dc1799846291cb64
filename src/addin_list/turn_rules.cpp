#include "addin_list/turn_rules.h"

namespace {

constexpr wchar_t kSystem[] = L"S-1-5-18";
constexpr wchar_t kAdministrators[] = L"S-1-5-32-544";

// What a run needs of a lock and all any account is granted: SYNCHRONIZE
// and MUTEX_MODIFY_STATE to wait on it and release it, READ_CONTROL to read
// its owner. GENERIC_ALL on the namespace, which only its maker ever uses.
constexpr wchar_t kMutexRights[] = L"0x00120001";
constexpr wchar_t kNamespaceRights[] = L"GA";

std::wstring Allow(const wchar_t* rights, const std::wstring& sid)
{
    return L"(A;;" + std::wstring(rights) + L";;;" + sid + L")";
}

std::wstring AdministratorsOnly(const wchar_t* rights)
{
    return L"O:BAD:" + Allow(rights, L"SY") + Allow(rights, L"BA");
}

}  // namespace

ListsLock AdministratorsLock(bool namespacesAvailable, unsigned timeoutSeconds)
{
    if (namespacesAvailable) {
        return {LockKind::AdministratorsNamespace, L"uninstall-addin-lists",
                AdministratorsOnly(kNamespaceRights), timeoutSeconds};
    }
    return {LockKind::AdministratorsMutex, L"Global\\uninstall-addin-lists",
            AdministratorsOnly(kMutexRights), timeoutSeconds};
}

ListsLock UsersLock(const std::wstring& sid, bool administratorsRun, bool ownLists,
                    unsigned timeoutSeconds)
{
    unsigned wait = timeoutSeconds;
    if (administratorsRun && !ownLists && (wait == 0 || wait > kUsersLockWaitSeconds)) {
        wait = kUsersLockWaitSeconds;
    }
    const std::wstring owner = administratorsRun ? L"BA" : sid;
    return {LockKind::UsersMutex, L"Global\\uninstall-addin-lists-" + sid,
            L"O:" + owner + L"D:" + Allow(kMutexRights, sid) + Allow(kMutexRights, L"SY") +
                Allow(kMutexRights, L"BA"),
            wait};
}

std::vector<ListsLock> LocksForOwnLists(const std::wstring& sid, bool administratorsRun,
                                        bool namespacesAvailable, unsigned timeoutSeconds)
{
    std::vector<ListsLock> locks;
    if (administratorsRun) {
        locks.push_back(AdministratorsLock(namespacesAvailable, timeoutSeconds));
    }
    locks.push_back(UsersLock(sid, administratorsRun, true, timeoutSeconds));
    return locks;
}

bool IsRightfulOwner(const ListsLock& lock, const std::wstring& ownerSid,
                     const std::wstring& usersSid)
{
    if (ownerSid.empty()) {
        return false;
    }
    if (ownerSid == kSystem || ownerSid == kAdministrators) {
        return true;
    }
    return lock.kind == LockKind::UsersMutex && ownerSid == usersSid;
}
