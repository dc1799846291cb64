// A user's values expanded with that user's own variables: their profile,
// their account, their own Environment keys, and only those of the
// machine's variables that are the same for every user.

#include "users/user_variables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UserVariables, AUsersValueIsExpandedWithThatUsersOwnVariables)
{
    const std::wstring profile = L"C:\\Users\\ann";
    const std::vector<Variable> machine = {{L"SystemDrive", L"C:"},
                                           {L"ProgramData", L"C:\\ProgramData"}};
    const std::vector<Variable> volatileEnvironment = {
        {L"HOMESHARE", L"\\\\server\\home\\ann"},
        {L"USERNAME", L"SYSTEM"},  // the account's own name wins
        {L"Shared", L"volatile"},
    };
    const std::vector<Variable> environment = {
        {L"Shared", L"environment"},
        {L"TEMP", L"%USERPROFILE%\\AppData\\Local\\Temp", true},
        {L"Literal", L"%USERPROFILE%"},
        {L"SystemDrive", L"D:"},
        {L"Chained", L"%HOMESHARE%\\x", true},  // the user's own don't name each other
    };
    struct Case {
        std::wstring text;
        std::wstring expanded;
    };
    const Case cases[] = {
        {L"%USERPROFILE%\\AppData\\Roaming", L"C:\\Users\\ann\\AppData\\Roaming"},
        {L"\\\\server\\home\\%USERNAME%\\AppData\\Roaming",
         L"\\\\server\\home\\ann\\AppData\\Roaming"},
        {L"%HOMESHARE%\\AppData", L"\\\\server\\home\\ann\\AppData"},
        {L"%userprofile%\\%UserName%", L"C:\\Users\\ann\\ann"},
        {L"%Shared%", L"volatile"},
        {L"%TEMP%", L"C:\\Users\\ann\\AppData\\Local\\Temp"},
        {L"%Literal%", L"%USERPROFILE%"},
        {L"%SystemDrive%\\x", L"D:\\x"},
        {L"%ProgramData%\\x", L"C:\\ProgramData\\x"},
        {L"%Chained%", L"%HOMESHARE%\\x"},
        // What stays unknown is left as written.
        {L"%APPDATA%\\x", L"%APPDATA%\\x"},
        {L"\\\\server\\%NOSUCH%\\%USERNAME%", L"\\\\server\\%NOSUCH%\\ann"},
        {L"%NOSUCH%USERNAME%", L"%NOSUCHann"},
        {L"100%", L"100%"},
        {L"%", L"%"},
        {L"%%", L"%%"},
        {L"a%%USERNAME%", L"a%ann"},
        {L"%USERNAME", L"%USERNAME"},
        {L"", L""},
        {L"no variables", L"no variables"},
    };
    const std::vector<Variable> variables =
        UserVariables(profile, L"ann", volatileEnvironment, environment, machine);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(ExpandVariables(c.text, variables), c.expanded);
    }
    // The default profile has no account: %USERNAME% stays.
    EXPECT_EQ(ExpandVariables(L"%USERPROFILE%\\%USERNAME%",
                              UserVariables(L"C:\\Users\\Default", L"", {}, {}, machine)),
              L"C:\\Users\\Default\\%USERNAME%");
}

}  // namespace
