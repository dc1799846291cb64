#include "system/process_token.h"

#include "system/owned_handle.h"

#include <sddl.h>

#include <vector>

namespace {

// What GetTokenInformation gives for class, in a buffer of its own size;
// empty when the token won't tell.
std::vector<BYTE> TokenInformation(HANDLE process, TOKEN_INFORMATION_CLASS what)
{
    OwnedHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.Put())) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token.Get(), what, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), what, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

}  // namespace

std::wstring SidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    const std::wstring result = text;
    LocalFree(text);
    return result;
}

std::wstring ProcessUserSid(HANDLE process)
{
    const std::vector<BYTE> user = TokenInformation(process, TokenUser);
    return user.empty() ? std::wstring()
                        : SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
}

bool ProcessSession(HANDLE process, DWORD& session)
{
    const std::vector<BYTE> buffer = TokenInformation(process, TokenSessionId);
    if (buffer.size() < sizeof(DWORD)) {
        return false;
    }
    session = *reinterpret_cast<const DWORD*>(buffer.data());
    return true;
}

std::wstring CurrentUserSid()
{
    return ProcessUserSid(GetCurrentProcess());
}

bool RunsAsAdministrator()
{
    // The group as the token holds it, rather than CheckTokenMembership:
    // the process token is the one the run's rights come from.
    const std::vector<BYTE> buffer = TokenInformation(GetCurrentProcess(), TokenGroups);
    if (buffer.empty()) {
        return false;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
        return false;
    }
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const SID_AND_ATTRIBUTES& group = groups->Groups[i];
        if (EqualSid(group.Sid, administrators) && (group.Attributes & SE_GROUP_ENABLED) != 0 &&
            (group.Attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0) {
            return true;
        }
    }
    return false;
}
