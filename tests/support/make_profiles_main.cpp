// make-profiles: lists <count> user profiles under ProfileList, each with an
// NTUSER.DAT in <folder>\user<n> whose Excel 16.0 list has the add-ins
// installed between two other add-ins; or takes them off again.
//
//   make-profiles <count> <folder> <add-in>...
//   make-profiles /remove <count>

#include "test_profiles.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kOptionsKey[] = L"Software\\Microsoft\\Office\\16.0\\Excel\\Options";

std::wstring Sid(int n)
{
    return L"S-1-5-21-1000-1000-1000-" + std::to_wstring(2000 + n);
}

int Make(int count, const std::wstring& root, const std::vector<std::wstring>& addIns)
{
    if (!EnableHivePrivileges()) {
        return 1;
    }
    CreateDirectoryW(root.c_str(), nullptr);
    for (int n = 0; n < count; ++n) {
        const std::wstring folder = root + L"\\user" + std::to_wstring(n);
        CreateDirectoryW(folder.c_str(), nullptr);
        std::vector<HiveValue> values = {{kOptionsKey, L"OPEN", L"\"C:\\Add-ins\\Before.xlam\""}};
        for (const std::wstring& addIn : addIns) {
            values.push_back({kOptionsKey, L"OPEN" + std::to_wstring(values.size()), addIn});
        }
        values.push_back({kOptionsKey, L"OPEN" + std::to_wstring(values.size()), L"/R After.xll"});
        if (!SaveHive(folder + L"\\NTUSER.DAT", values) || !RegisterProfile(Sid(n), folder)) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) {
        return 2;
    }
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    LocalFree(argv);
    if (args.size() == 2 && args[0] == L"/remove") {
        for (int n = 0, count = std::stoi(args[1]); n < count; ++n) {
            UnregisterProfile(Sid(n));
        }
        return 0;
    }
    if (args.size() >= 3) {
        return Make(std::stoi(args[0]), args[1], {args.begin() + 2, args.end()});
    }
    return 2;
}
