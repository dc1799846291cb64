#include "users/hive_rules.h"

namespace {

constexpr wchar_t kPrefix[] = L"uninstall-addin-";

// Windows' own status codes, which this unit can't include.
constexpr long kAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr long kSharingViolation = 32;  // ERROR_SHARING_VIOLATION
constexpr long kLockViolation = 33;     // ERROR_LOCK_VIOLATION
constexpr long kBusy = 170;             // ERROR_BUSY

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// A number as this program writes one: decimal digits, no leading zero, not
// zero, within 32 bits. Reads from text at at, up to a '-' or the end.
std::optional<unsigned long> NumberAt(const std::wstring& text, size_t& at)
{
    const size_t start = at;
    std::uint64_t number = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
        number = number * 10 + static_cast<unsigned>(text[at] - L'0');
        if (number > 0xFFFFFFFFu) {
            return std::nullopt;
        }
        ++at;
    }
    if (at == start || text[start] == L'0') {
        return std::nullopt;
    }
    return static_cast<unsigned long>(number);
}

// Present now, and not the file that was there at the look.
bool NewSinceTheLook(const FileMark& before, const FileMark& after)
{
    return after.state == FileMark::State::Present && before.state != FileMark::State::Unknown &&
           !SameFile(before, after);
}

}  // namespace

std::wstring HiveLoadName(unsigned long processId, unsigned long n)
{
    return kPrefix + std::to_wstring(processId) + L"-" + std::to_wstring(n);
}

std::optional<unsigned long> LoaderOf(const std::wstring& keyName)
{
    const std::wstring prefix = kPrefix;
    if (keyName.size() <= prefix.size()) {
        return std::nullopt;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(keyName[i]) != prefix[i]) {
            return std::nullopt;
        }
    }
    size_t at = prefix.size();
    const std::optional<unsigned long> processId = NumberAt(keyName, at);
    if (!processId || at == keyName.size() || keyName[at] != L'-') {
        return std::nullopt;
    }
    ++at;
    if (!NumberAt(keyName, at) || at != keyName.size()) {
        return std::nullopt;
    }
    return processId;
}

bool IsLeftoverHive(unsigned long loaderId, unsigned long ownProcessId, LoaderState loader)
{
    if (loaderId == ownProcessId) {
        return true;
    }
    switch (loader) {
    case LoaderState::None:
    case LoaderState::Unopenable:
    case LoaderState::Ended:
    case LoaderState::OtherProgram: return true;
    case LoaderState::ThisProgram:
    case LoaderState::Unknown: return false;
    }
    return false;
}

bool SameFile(const FileMark& a, const FileMark& b)
{
    return a.state == b.state &&
           (a.state != FileMark::State::Present ||
            (a.volume == b.volume && a.index == b.index && a.created == b.created));
}

bool HeldElsewhere(long status)
{
    return status == kAccessDenied || status == kSharingViolation || status == kLockViolation ||
           status == kBusy;
}

LoadVerdict JudgeLoad(const HiveFileMarks& before, const HiveFileMarks& after, bool rootEmpty)
{
    LoadVerdict verdict;
    if (!rootEmpty || !NewSinceTheLook(before.hive, after.hive)) {
        return verdict;
    }
    verdict.madeByLoad = true;
    verdict.removeHive = true;
    verdict.removeLog1 = NewSinceTheLook(before.log1, after.log1);
    verdict.removeLog2 = NewSinceTheLook(before.log2, after.log2);
    return verdict;
}
