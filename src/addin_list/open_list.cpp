#include "addin_list/open_list.h"

#include <algorithm>

namespace {

constexpr wchar_t kOpen[] = L"OPEN";
constexpr size_t kOpenLength = 4;
// Far beyond any real list; keeps the number inside an unsigned.
constexpr unsigned kHighestIndex = 99999;

wchar_t UpperAscii(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

}  // namespace

std::optional<unsigned> OpenIndex(const std::wstring& name)
{
    if (name.size() < kOpenLength) {
        return std::nullopt;
    }
    for (size_t i = 0; i < kOpenLength; ++i) {
        if (UpperAscii(name[i]) != kOpen[i]) {
            return std::nullopt;
        }
    }
    const std::wstring digits = name.substr(kOpenLength);
    if (digits.empty()) {
        return 0u;
    }
    if (digits[0] == L'0') {
        return std::nullopt;
    }
    unsigned index = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        index = index * 10 + static_cast<unsigned>(c - L'0');
        if (index > kHighestIndex) {
            return std::nullopt;
        }
    }
    return index;
}

std::wstring OpenName(unsigned index)
{
    return index == 0 ? std::wstring(kOpen) : kOpen + std::to_wstring(index);
}

std::wstring StoredText(const StoredValue& value)
{
    if (value.type != kRegString && value.type != kRegExpandString) {
        return {};
    }
    std::wstring text;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const wchar_t unit = static_cast<wchar_t>(value.data[i] | (value.data[i + 1] << 8));
        if (unit == L'\0') {
            break;
        }
        text += unit;
    }
    return text;
}

std::vector<StoredValue> OpenValues(const std::vector<StoredValue>& values)
{
    std::vector<StoredValue> open;
    for (const StoredValue& value : values) {
        if (OpenIndex(value.name)) {
            open.push_back(value);
        }
    }
    std::sort(open.begin(), open.end(), [](const StoredValue& a, const StoredValue& b) {
        return *OpenIndex(a.name) < *OpenIndex(b.name);
    });
    return open;
}

OpenListChange PlanRemoval(const std::vector<StoredValue>& optionsValues,
                           const std::function<bool(const StoredValue&)>& goes)
{
    const std::vector<StoredValue> list = OpenValues(optionsValues);
    OpenListChange change;
    std::vector<StoredValue> kept;
    for (const StoredValue& value : list) {
        (goes(value) ? change.removed : kept).push_back(value);
    }
    if (change.removed.empty()) {
        return change;
    }

    // Position i of the new list is written only where it doesn't hold
    // kept[i] already. What it held either goes, or is a kept value that
    // comes from no later than i and so already stands lower down.
    for (unsigned i = 0; i < kept.size(); ++i) {
        const std::wstring name = OpenName(i);
        const bool inPlace = i < list.size() && *OpenIndex(list[i].name) == i && list[i] == kept[i];
        if (!inPlace) {
            StoredValue moved = kept[i];
            moved.name = name;
            change.moves.push_back({kept[i].name, moved});
        }
    }
    // Whatever stands at kept.size() or above is either gone or a copy now.
    for (auto value = list.rbegin(); value != list.rend(); ++value) {
        if (*OpenIndex(value->name) >= kept.size()) {
            change.deletes.push_back(value->name);
        }
    }
    return change;
}
