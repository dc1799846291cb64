// Excel's list of installed add-ins: the values OPEN, OPEN1, OPEN2... under
// its Options key, which Excel reads up to the first gap. Taking an add-in
// out of it is planned here, so that no other add-in is ever lost. Pure: no
// I/O, no Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Registry value types, as Windows numbers them.
inline constexpr std::uint32_t kRegString = 1;        // REG_SZ
inline constexpr std::uint32_t kRegExpandString = 2;  // REG_EXPAND_SZ

// One registry value exactly as stored.
struct StoredValue {
    std::wstring name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const StoredValue& other) const
    {
        return name == other.name && type == other.type && data == other.data;
    }
};

// A REG_SZ value holding text, its terminator included, as Windows stores it.
StoredValue StringValue(const std::wstring& name, const std::wstring& text);

// 0 for "OPEN", n for "OPEN<n>" (any case; n from 1, no leading zero);
// nothing for every other name, which is one of Excel's own settings.
std::optional<unsigned> OpenIndex(const std::wstring& name);
std::wstring OpenName(unsigned index);

// A string value's text (UTF-16 as stored, up to its first terminator);
// empty for other types.
std::wstring StoredText(const StoredValue& value);

// The OPEN values among a key's values, by their number; the gaps are kept
// out of the numbering, not out of the list.
std::vector<StoredValue> OpenValues(const std::vector<StoredValue>& values);

struct MovedValue {
    std::wstring from;
    StoredValue value;  // under its new name
};

// How to take values out of the list. Carried out in this order, every
// moment of it leaves each value that stays somewhere in the list, at
// worst twice: first the moves, lowest new number first, each overwriting
// a value that goes or one already moved down; then the deletes, highest
// number first, so the list never has a gap.
struct OpenListChange {
    std::vector<StoredValue> removed;  // the values that go, as they were
    std::vector<MovedValue> moves;
    std::vector<std::wstring> deletes;

    bool Empty() const { return removed.empty(); }
};

// Takes every OPEN value for which goes(value) is true out of the list and
// numbers the rest OPEN, OPEN1... in their order, each with its type and
// data byte for byte. A list with gaps comes out without them.
OpenListChange PlanRemoval(const std::vector<StoredValue>& optionsValues,
                           const std::function<bool(const StoredValue&)>& goes);
