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

struct NumberedValue {
    unsigned index;
    const StoredValue* value;
};

// The OPEN values among values, by their number, each pointing into values.
std::vector<NumberedValue> Numbered(const std::vector<StoredValue>& values)
{
    std::vector<NumberedValue> open;
    for (const StoredValue& value : values) {
        if (const std::optional<unsigned> index = OpenIndex(value.name)) {
            open.push_back({*index, &value});
        }
    }
    std::stable_sort(open.begin(), open.end(), [](const NumberedValue& a, const NumberedValue& b) {
        return a.index < b.index;
    });
    return open;
}

}  // namespace

StoredValue StringValue(const std::wstring& name, const std::wstring& text)
{
    StoredValue value{name, kRegString, {}};
    for (wchar_t c : text) {
        value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
}

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
    for (const NumberedValue& numbered : Numbered(values)) {
        open.push_back(*numbered.value);
    }
    return open;
}

OpenListChange PlanRemoval(const std::vector<StoredValue>& optionsValues,
                           const std::function<bool(const StoredValue&)>& goes)
{
    // The plan copies only what it must write back or report: a list may be
    // long and its values large.
    const std::vector<NumberedValue> list = Numbered(optionsValues);
    OpenListChange change;
    std::vector<const StoredValue*> kept;
    kept.reserve(list.size());
    for (const NumberedValue& numbered : list) {
        if (goes(*numbered.value)) {
            change.removed.push_back(*numbered.value);
        } else {
            kept.push_back(numbered.value);
        }
    }
    if (change.removed.empty()) {
        return change;
    }

    // Position i of the new list is written only where it doesn't hold
    // kept[i] already. What it held either goes, or is a kept value that
    // comes from no later than i and so already stands lower down.
    change.moves.reserve(kept.size());
    for (unsigned i = 0; i < kept.size(); ++i) {
        const bool inPlace = i < list.size() && list[i].index == i && *list[i].value == *kept[i];
        if (!inPlace) {
            change.moves.push_back(
                {kept[i]->name, StoredValue{OpenName(i), kept[i]->type, kept[i]->data}});
        }
    }
    // Whatever stands at kept.size() or above is either gone or a copy now.
    for (auto numbered = list.rbegin(); numbered != list.rend(); ++numbered) {
        if (numbered->index >= kept.size()) {
            change.deletes.push_back(numbered->value->name);
        }
    }
    return change;
}
