#include "users/user_identity.h"

#include "report/text.h"

#include <sddl.h>

std::wstring AccountName(const std::wstring& sidText, const std::wstring& fallbackName)
{
    std::wstring name = fallbackName;
    PSID sid = nullptr;
    if (ConvertStringSidToSidW(sidText.c_str(), &sid)) {
        wchar_t account[256] = {};
        wchar_t domain[256] = {};
        DWORD accountLength = 256;
        DWORD domainLength = 256;
        SID_NAME_USE use;
        if (LookupAccountSidW(nullptr, sid, account, &accountLength, domain, &domainLength, &use) &&
            account[0] != L'\0') {
            name = account;
        }
        LocalFree(sid);
    }
    return name;
}

std::string LabelOf(const std::wstring& accountName, const std::wstring& sidText)
{
    return AnsiFromWide(accountName) + " (" + AnsiFromWide(sidText) + ")";
}

std::string UserLabel(const std::wstring& sidText, const std::wstring& fallbackName)
{
    return LabelOf(AccountName(sidText, fallbackName), sidText);
}
