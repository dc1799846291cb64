#include "users/user_hive.h"

#include "addin_list/addin_match.h"
#include "users/user_identity.h"

namespace {

std::wstring UserName()
{
    wchar_t name[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"USERNAME", name, 256);
    return length > 0 && length < 256 ? name : L"this user";
}

}  // namespace

UserHive CurrentUserHive()
{
    UserHive user;
    user.sid = CurrentUserSid();
    user.name = UserName();
    user.label = UserLabel(user.sid, user.name);
    user.own = true;
    user.root = HKEY_CURRENT_USER;
    user.rootName = "HKEY_CURRENT_USER";
    user.paths = CurrentUserPaths();
    return user;
}
