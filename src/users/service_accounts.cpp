#include "users/service_accounts.h"

namespace {

struct ServiceAccount {
    const wchar_t* sid;
    const char* name;
};

constexpr ServiceAccount kServiceAccounts[] = {
    {L"S-1-5-18", "SYSTEM"},
    {L"S-1-5-19", "LOCAL SERVICE"},
    {L"S-1-5-20", "NETWORK SERVICE"},
};

// SIDs are written with a capital S, but "s-1-5-18" is read as the same.
bool SameSid(const std::wstring& text, const wchar_t* sid)
{
    const std::wstring wanted = sid;
    if (text.size() != wanted.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i] == L's' ? L'S' : text[i];
        if (c != wanted[i]) {
            return false;
        }
    }
    return true;
}

const ServiceAccount* FindServiceAccount(const std::wstring& sid)
{
    for (const ServiceAccount& account : kServiceAccounts) {
        if (SameSid(sid, account.sid)) {
            return &account;
        }
    }
    return nullptr;
}

}  // namespace

bool IsServiceAccount(const std::wstring& sid)
{
    return FindServiceAccount(sid) != nullptr;
}

std::string ServiceAccountProblem(const std::wstring& sid, bool allUsers)
{
    const ServiceAccount* account = FindServiceAccount(sid);
    if (allUsers || account == nullptr) {
        return {};
    }
    std::string text = "this runs as ";
    text += account->name;
    text += " (";
    for (const wchar_t* c = account->sid; *c != L'\0'; ++c) {
        text += static_cast<char>(*c);
    }
    return text + "), a service account whose own Excel lists no user sees: add /allusers to "
                  "reach every user's lists";
}
