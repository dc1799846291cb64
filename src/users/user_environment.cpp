#include "users/user_environment.h"

#include "report/text.h"

namespace {

// The text values of the key at path below userRoot, as variables.
ListError ReadKeyVariables(HKEY userRoot, const wchar_t* path, KeyLinks links,
                           std::vector<Variable>& variables)
{
    variables.clear();
    RegistryKey key;
    std::wstring failedAt;
    LSTATUS status = OpenKeyPath(userRoot, path, KEY_QUERY_VALUE, links, key, failedAt);
    if (status == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    if (status != ERROR_SUCCESS) {
        return {status, failedAt};
    }
    std::vector<StoredValue> values;
    status = key.ReadValues(values);
    if (status != ERROR_SUCCESS) {
        return {status, path};
    }
    for (const StoredValue& value : values) {
        if (!value.name.empty() && (value.type == REG_SZ || value.type == REG_EXPAND_SZ)) {
            variables.push_back({value.name, StoredText(value), value.type == REG_EXPAND_SZ});
        }
    }
    return {};
}

std::vector<Variable> MachineVariables()
{
    std::vector<Variable> variables;
    for (const std::wstring& name : MachineVariableNames()) {
        const std::wstring value = TextFilledBy([&](wchar_t* buffer, DWORD size) {
            return GetEnvironmentVariableW(name.c_str(), buffer, size);
        });
        if (!value.empty()) {
            variables.push_back({name, value});
        }
    }
    return variables;
}

}  // namespace

ListError ReadUserVariables(HKEY userRoot, KeyLinks links, const std::wstring& profileFolder,
                            const std::wstring& account, std::vector<Variable>& variables)
{
    variables.clear();
    std::vector<Variable> volatileEnvironment;
    std::vector<Variable> environment;
    if (ListError error =
            ReadKeyVariables(userRoot, L"Volatile Environment", links, volatileEnvironment)) {
        return error;
    }
    if (ListError error = ReadKeyVariables(userRoot, L"Environment", links, environment)) {
        return error;
    }
    variables =
        UserVariables(profileFolder, account, volatileEnvironment, environment, MachineVariables());
    return {};
}
