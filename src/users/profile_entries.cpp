#include "users/profile_entries.h"

#include "addin_list/path_rules.h"
#include "users/service_accounts.h"

#include <cwctype>

namespace {

constexpr wchar_t kBackupSuffix[] = L".bak";
constexpr size_t kBackupSuffixLength = 4;

bool EndsWithBackupSuffix(const std::wstring& key)
{
    if (key.size() < kBackupSuffixLength) {
        return false;
    }
    for (size_t i = 0; i < kBackupSuffixLength; ++i) {
        const wchar_t c = key[key.size() - kBackupSuffixLength + i];
        if (static_cast<wchar_t>(std::towlower(c)) != kBackupSuffix[i]) {
            return false;
        }
    }
    return true;
}

struct Candidate {
    CoveredProfile profile;
    bool backup = false;  // named by the SID's ".bak" key
    std::wstring same;    // what two entries for one folder share
};

// "C:\Users\Ann\" and "c:\users\ann" are one folder. Entries without a
// folder are one only when they are one user's.
std::wstring SameFolderKey(const std::wstring& sid, const std::wstring& folder)
{
    if (folder.empty()) {
        return L"?" + sid;
    }
    std::wstring key = FullPath(folder, {});
    while (key.size() > 3 && key.back() == L'\\') {
        key.pop_back();
    }
    for (wchar_t& c : key) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return key;
}

// The entry's SID, or nothing for a key that names no user's profile.
bool ReadKey(const std::wstring& key, std::wstring& sid, bool& backup)
{
    backup = EndsWithBackupSuffix(key);
    sid = backup ? key.substr(0, key.size() - kBackupSuffixLength) : key;
    return IsPersonsSid(sid) && sid.find(L'.') == std::wstring::npos;
}

}  // namespace

std::vector<CoveredProfile> ProfilesToCover(const std::vector<ProfileEntry>& entries)
{
    std::vector<Candidate> candidates;
    for (const ProfileEntry& entry : entries) {
        Candidate candidate;
        if (ReadKey(entry.key, candidate.profile.sid, candidate.backup)) {
            candidate.profile.folder = entry.folder;
            candidate.same = SameFolderKey(candidate.profile.sid, entry.folder);
            candidates.push_back(candidate);
        }
    }

    // A ".bak" copy naming the folder its SID's own key names is that
    // key's profile; one naming another folder is the user's real profile,
    // while a hive loaded under the SID is the temporary one.
    std::vector<Candidate> distinct;
    for (Candidate& candidate : candidates) {
        bool twin = false;
        for (const Candidate& own : candidates) {
            if (candidate.backup && !own.backup && own.profile.sid == candidate.profile.sid) {
                twin = own.same == candidate.same;
                candidate.profile.ownsLoadedHive = twin;
            }
        }
        if (!twin) {
            distinct.push_back(candidate);
        }
    }

    std::vector<CoveredProfile> covered;
    for (size_t i = 0; i < distinct.size(); ++i) {
        bool seen = false;
        for (size_t j = 0; j < i && !seen; ++j) {
            seen = distinct[j].same == distinct[i].same;
        }
        if (!seen) {
            covered.push_back(distinct[i].profile);
        }
    }
    return covered;
}
