#include "users/user_variables.h"

namespace {

wchar_t AsciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

const Variable* Find(const std::vector<Variable>& variables, const std::wstring& name)
{
    for (const Variable& variable : variables) {
        if (SameName(variable.name, name)) {
            return &variable;
        }
    }
    return nullptr;
}

void Append(std::vector<Variable>& to, const std::vector<Variable>& from,
            const std::vector<Variable>& expandWith)
{
    for (const Variable& variable : from) {
        const std::wstring& value = variable.value;
        to.push_back(
            {variable.name, variable.expandable ? ExpandVariables(value, expandWith) : value});
    }
}

}  // namespace

std::wstring ExpandVariables(const std::wstring& text, const std::vector<Variable>& variables)
{
    std::wstring expanded;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find(L'%', at);
        const size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            expanded += text.substr(at);
            break;
        }
        expanded += text.substr(at, open - at);
        const Variable* variable = Find(variables, text.substr(open + 1, close - open - 1));
        if (variable != nullptr && close > open + 1) {
            expanded += variable->value;
            at = close + 1;
        } else {
            expanded += text.substr(open, close - open);
            at = close;
        }
    }
    return expanded;
}

std::vector<Variable> UserVariables(const std::wstring& profileFolder, const std::wstring& account,
                                    const std::vector<Variable>& volatileEnvironment,
                                    const std::vector<Variable>& environment,
                                    const std::vector<Variable>& machine)
{
    std::vector<Variable> variables;
    if (!profileFolder.empty()) {
        variables.push_back({L"USERPROFILE", profileFolder});
    }
    if (!account.empty()) {
        variables.push_back({L"USERNAME", account});
    }
    std::vector<Variable> notTheUsers = variables;
    Append(notTheUsers, machine, {});
    Append(variables, volatileEnvironment, notTheUsers);
    Append(variables, environment, notTheUsers);
    Append(variables, machine, {});
    return variables;
}

const std::vector<std::wstring>& MachineVariableNames()
{
    static const std::vector<std::wstring> names = {
        L"SystemDrive", L"SystemRoot", L"windir", L"ProgramData", L"ALLUSERSPROFILE", L"PUBLIC",
    };
    return names;
}
