#include "users/service_accounts.h"

namespace {

// How a report names the accounts services run as: the well-known ones by
// their whole SID, the kinds that Windows makes many of by their prefix.
struct ServiceAccount {
    const wchar_t* sid;
    bool prefix;
    const char* name;
};

constexpr ServiceAccount kServiceAccounts[] = {
    {L"S-1-5-18", false, "SYSTEM"},
    {L"S-1-5-19", false, "LOCAL SERVICE"},
    {L"S-1-5-20", false, "NETWORK SERVICE"},
    {L"S-1-5-80-", true, "a service's virtual account"},
    {L"S-1-5-82-", true, "an application pool's identity"},
    {L"S-1-5-83-", true, "a virtual machine's account"},
    {L"S-1-5-90-", true, "a Desktop Window Manager account"},
    {L"S-1-5-96-", true, "a font driver host account"},
};

constexpr const wchar_t* kPersonsPrefixes[] = {L"S-1-5-21-", L"S-1-12-1-"};

// SIDs are written with a capital S, but "s-1-5-18" is read as the same.
wchar_t Upper(wchar_t c)
{
    return c == L's' ? L'S' : c;
}

bool StartsWith(const std::wstring& text, const wchar_t* start)
{
    size_t i = 0;
    for (; start[i] != L'\0'; ++i) {
        if (i >= text.size() || Upper(text[i]) != start[i]) {
            return false;
        }
    }
    // A prefix names a kind only when something follows it.
    return i < text.size();
}

bool SameSid(const std::wstring& text, const wchar_t* sid)
{
    const std::wstring wanted = sid;
    if (text.size() != wanted.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (Upper(text[i]) != wanted[i]) {
            return false;
        }
    }
    return true;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

const char* ServiceAccountName(const std::wstring& sid)
{
    for (const ServiceAccount& account : kServiceAccounts) {
        if (account.prefix ? StartsWith(sid, account.sid) : SameSid(sid, account.sid)) {
            return account.name;
        }
    }
    return "an account that is no person's";
}

}  // namespace

bool IsPersonsSid(const std::wstring& sid)
{
    for (const wchar_t* prefix : kPersonsPrefixes) {
        if (StartsWith(sid, prefix)) {
            return true;
        }
    }
    return false;
}

std::string ServiceAccountProblem(const std::wstring& sid, bool allUsers)
{
    if (allUsers || sid.empty() || IsPersonsSid(sid)) {
        return {};
    }
    std::wstring shown = sid;
    if (!shown.empty()) {
        shown[0] = Upper(shown[0]);
    }
    return std::string("this runs as ") + ServiceAccountName(sid) + " (" + Narrow(shown) +
           "), a service account whose own Excel lists no user sees: add /allusers to reach "
           "every user's lists";
}
