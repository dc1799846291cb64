#include "addin_list/open_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

// The bytes live on the heap, and their peak, while a test watches: every
// allocation of this test program carries its size in front of it.
namespace {

struct HeapWatch {
    bool watching = false;
    long long live = 0;
    long long peak = 0;
};
HeapWatch heapWatch;
constexpr std::size_t kSizeHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size)
{
    void* block = std::malloc(size + kSizeHeader);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = size;
    if (heapWatch.watching) {
        heapWatch.live += static_cast<long long>(size);
        heapWatch.peak = std::max(heapWatch.peak, heapWatch.live);
    }
    return static_cast<char*>(block) + kSizeHeader;
}

void operator delete(void* memory) noexcept
{
    if (memory == nullptr) {
        return;
    }
    void* block = static_cast<char*>(memory) - kSizeHeader;
    if (heapWatch.watching) {
        heapWatch.live -= static_cast<long long>(*static_cast<std::size_t*>(block));
    }
    std::free(block);
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
}

namespace {

std::vector<std::uint8_t> Utf16(const std::wstring& text)
{
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

StoredValue Value(const std::wstring& name, const std::wstring& data,
                  std::uint32_t type = kRegString)
{
    return {name, type, Utf16(data)};
}

// The values under Options after carrying out change, step by step. At
// every step, each value that stays must still be readable by Excel (up to
// the first gap) wherever it was before. Names are keyed in upper case, as
// the registry doesn't tell case apart.
using Key = std::map<std::wstring, StoredValue>;

std::wstring Upper(std::wstring name)
{
    for (wchar_t& c : name) {
        c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    return name;
}

std::vector<StoredValue> Readable(const Key& key)
{
    std::vector<StoredValue> list;
    for (unsigned i = 0;; ++i) {
        const auto value = key.find(Upper(OpenName(i)));
        if (value == key.end()) {
            return list;
        }
        list.push_back(value->second);
    }
}

bool HasData(const std::vector<StoredValue>& list, const StoredValue& wanted)
{
    return std::any_of(list.begin(), list.end(), [&](const StoredValue& value) {
        return value.type == wanted.type && value.data == wanted.data;
    });
}

Key CarryOut(const std::vector<StoredValue>& values, const OpenListChange& change,
             const std::vector<StoredValue>& kept)
{
    Key key;
    for (const StoredValue& value : values) {
        key[Upper(value.name)] = value;
    }
    std::vector<StoredValue> mustStay;
    for (const StoredValue& value : Readable(key)) {
        if (HasData(kept, value)) {
            mustStay.push_back(value);
        }
    }
    auto check = [&](const std::string& step) {
        const std::vector<StoredValue> readable = Readable(key);
        for (const StoredValue& value : mustStay) {
            EXPECT_TRUE(HasData(readable, value))
                << "lost " << std::string(value.name.begin(), value.name.end()) << " after "
                << step;
        }
    };
    for (const MovedValue& move : change.moves) {
        key[Upper(move.value.name)] = move.value;
        check("moving to " + std::string(move.value.name.begin(), move.value.name.end()));
    }
    for (const std::wstring& name : change.deletes) {
        EXPECT_EQ(key.erase(Upper(name)), 1u);
        check("deleting " + std::string(name.begin(), name.end()));
    }
    return key;
}

std::vector<StoredValue> Renamed(std::vector<StoredValue> values)
{
    for (unsigned i = 0; i < values.size(); ++i) {
        values[i].name = OpenName(i);
    }
    return values;
}

TEST(OpenList, TakesTheAddInOutAndKeepsTheRestInOrderByteForByte)
{
    const StoredValue a = Value(L"OPEN", L"\"C:\\Add-ins\\A.xlam\"");
    const StoredValue b = Value(L"OPEN2", L"/R B.xll");
    // The gone ones' data is only there to be recognised.
    const auto goes = [](const StoredValue& value) {
        return StoredText(value).find(L"X.xlam") != std::wstring::npos;
    };
    const StoredValue settings = Value(L"Options", L"not an add-in");
    const StoredValue dword = {L"DefSheets", 4, {3, 0, 0, 0}};

    struct Case {
        const char* what;
        std::vector<StoredValue> values;
        std::vector<StoredValue> kept;  // in their order, with their old names
        size_t removed;
    };
    const std::vector<Case> cases = {
        {"middle", {a, Value(L"OPEN1", L"C:\\X.xlam"), b, settings, dword}, {a, b}, 1},
        {"first",
         {Value(L"OPEN", L"C:\\X.xlam"), Value(L"OPEN1", L"A"), Value(L"OPEN2", L"B")},
         {Value(L"OPEN1", L"A"), Value(L"OPEN2", L"B")},
         1},
        {"last",
         {a, Value(L"OPEN1", L"B"), Value(L"OPEN2", L"/R \"C:\\X.xlam\"")},
         {a, Value(L"OPEN1", L"B")},
         1},
        {"only", {Value(L"OPEN", L"X.xlam"), settings}, {}, 1},
        {"twice",
         {Value(L"OPEN", L"X.xlam"), Value(L"OPEN1", L"A"), Value(L"OPEN2", L"C:\\X.xlam"),
          Value(L"OPEN3", L"B")},
         {Value(L"OPEN1", L"A"), Value(L"OPEN3", L"B")},
         2},
        {"twice in a row",
         {a, Value(L"OPEN1", L"X.xlam"), Value(L"OPEN2", L"X.xlam"), Value(L"OPEN3", L"B")},
         {a, Value(L"OPEN3", L"B")},
         2},
        // A gap: Excel stops reading at it, but the values beyond it are
        // someone's add-ins too, so the list is closed up rather than cut.
        {"gap after",
         {a, Value(L"OPEN1", L"X.xlam"), Value(L"OPEN3", L"B")},
         {a, Value(L"OPEN3", L"B")},
         1},
        {"gap before",
         {Value(L"OPEN", L"X.xlam"), Value(L"OPEN2", L"A"), Value(L"OPEN5", L"B")},
         {Value(L"OPEN2", L"A"), Value(L"OPEN5", L"B")},
         1},
        // Names in any case are the same values to Windows; other types move as they are.
        {"odd names and types",
         {Value(L"open", L"A"),
          Value(L"Open1", L"X.xlam"),
          Value(L"OPEN2", L"%APPDATA%\\B.xlam", kRegExpandString),
          {L"OPEN3", 3, {1, 2, 3}}},
         {Value(L"open", L"A"),
          Value(L"OPEN2", L"%APPDATA%\\B.xlam", kRegExpandString),
          {L"OPEN3", 3, {1, 2, 3}}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const OpenListChange change = PlanRemoval(c.values, goes);
        EXPECT_EQ(change.removed.size(), c.removed);

        const Key after = CarryOut(c.values, change, c.kept);
        std::vector<StoredValue> open;
        std::vector<StoredValue> others;
        for (const auto& entry : after) {
            (OpenIndex(entry.first) ? open : others).push_back(entry.second);
        }
        std::vector<StoredValue> wanted = Renamed(c.kept);
        std::sort(open.begin(), open.end(), [](const StoredValue& x, const StoredValue& y) {
            return *OpenIndex(x.name) < *OpenIndex(y.name);
        });
        ASSERT_EQ(open.size(), wanted.size());
        for (size_t i = 0; i < open.size(); ++i) {
            EXPECT_EQ(*OpenIndex(open[i].name), i);
            EXPECT_EQ(open[i].type, wanted[i].type);
            EXPECT_EQ(open[i].data, wanted[i].data);
        }
        // Excel's other settings are never touched.
        for (const StoredValue& value : c.values) {
            if (!OpenIndex(value.name)) {
                EXPECT_TRUE(std::find(others.begin(), others.end(), value) != others.end());
            }
        }
    }
}

TEST(OpenList, ChangesNothingWhenTheAddInIsNotListed)
{
    const std::vector<StoredValue> values = {Value(L"OPEN", L"A"), Value(L"OPEN2", L"B")};
    const OpenListChange change = PlanRemoval(values, [](const StoredValue&) { return false; });
    EXPECT_TRUE(change.Empty());
    EXPECT_TRUE(change.moves.empty());
    EXPECT_TRUE(change.deletes.empty());
}

TEST(OpenList, MovesOnlyWhatHasToMove)
{
    const std::vector<StoredValue> values = {Value(L"OPEN", L"A"), Value(L"OPEN1", L"B"),
                                             Value(L"OPEN2", L"X"), Value(L"OPEN3", L"C")};
    const OpenListChange change =
        PlanRemoval(values, [](const StoredValue& v) { return StoredText(v) == L"X"; });
    ASSERT_EQ(change.moves.size(), 1u);
    EXPECT_EQ(change.moves[0].from, L"OPEN3");
    EXPECT_EQ(change.moves[0].value, Value(L"OPEN2", L"C"));
    EXPECT_EQ(change.deletes, std::vector<std::wstring>{L"OPEN3"});
    EXPECT_EQ(change.removed, std::vector<StoredValue>{Value(L"OPEN2", L"X")});
}

// A hive full of long values must not multiply in memory: the plan holds
// what it writes back, and makes no other copies of the list.
TEST(OpenList, PlansALongListOfLargeValuesWithinTheirOwnSize)
{
    constexpr unsigned kCount = 10000;
    std::vector<StoredValue> values;
    long long dataBytes = 0;
    for (unsigned i = 0; i < kCount; ++i) {
        StoredValue value = Value(OpenName(i), L"C:\\Add-ins\\A" + std::to_wstring(i) + L".xlam");
        if (i % 500 == 499) {
            value.data.resize(1 << 20, 'x');
        }
        dataBytes += static_cast<long long>(value.data.size());
        values.push_back(std::move(value));
    }
    values.push_back(Value(L"Options", L"not an add-in"));

    heapWatch = {true, 0, 0};
    const OpenListChange change =
        PlanRemoval(values, [](const StoredValue& value) { return value.name == L"OPEN1"; });
    heapWatch.watching = false;
    EXPECT_LT(heapWatch.peak, dataBytes + dataBytes / 4) << "data: " << dataBytes << " bytes";

    EXPECT_EQ(change.removed, std::vector<StoredValue>{values[1]});
    ASSERT_EQ(change.moves.size(), kCount - 2);
    unsigned wrong = 0;
    for (unsigned i = 0; i < change.moves.size(); ++i) {
        const MovedValue& move = change.moves[i];
        const StoredValue& from = values[i + 2];
        wrong += move.from != from.name || move.value.name != OpenName(i + 1) ||
                 move.value.type != from.type || move.value.data != from.data;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(change.deletes, std::vector<std::wstring>{OpenName(kCount - 1)});
}

TEST(OpenList, KnowsWhichNamesAreOpenValues)
{
    struct Case {
        std::wstring name;
        int index;  // -1: not an OPEN value
    };
    const Case cases[] = {
        {L"OPEN", 0},    {L"open", 0},          {L"OPEN1", 1},
        {L"Open12", 12}, {L"OPEN99999", 99999}, {L"OPEN0", -1},
        {L"OPEN01", -1}, {L"OPEN-1", -1},       {L"OPEN 1", -1},
        {L"OPEN1a", -1}, {L"OPE", -1},          {L"OPENER", -1},
        {L"XOPEN", -1},  {L"OPEN100000", -1},   {L"OPEN99999999999999999999", -1},
        {L"", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        const std::optional<unsigned> index = OpenIndex(c.name);
        if (c.index < 0) {
            EXPECT_FALSE(index.has_value());
        } else {
            ASSERT_TRUE(index.has_value());
            EXPECT_EQ(*index, static_cast<unsigned>(c.index));
            EXPECT_EQ(OpenIndex(OpenName(*index)), index);
        }
    }
}

TEST(OpenList, ReadsStoredText)
{
    EXPECT_EQ(StoredText(Value(L"OPEN", L"C:\\x.xlam")), L"C:\\x.xlam");
    EXPECT_EQ(StoredText(Value(L"OPEN", L"%APPDATA%\\x", kRegExpandString)), L"%APPDATA%\\x");
    // Without a terminator, with one too many, with an odd byte left over.
    EXPECT_EQ(StoredText({L"OPEN", kRegString, {'a', 0, 'b', 0}}), L"ab");
    EXPECT_EQ(StoredText({L"OPEN", kRegString, {'a', 0, 0, 0, 'b', 0}}), L"a");
    EXPECT_EQ(StoredText({L"OPEN", kRegString, {'a', 0, 'b'}}), L"a");
    EXPECT_EQ(StoredText({L"OPEN", kRegString, {}}), L"");
    EXPECT_EQ(StoredText({L"OPEN", 4, {1, 0, 0, 0}}), L"");
}

}  // namespace
