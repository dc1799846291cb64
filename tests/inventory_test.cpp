// What an inventory (/list) reads of each entry: where it is, what it
// names, and whether an XLL there can load in the Excel that is there.

#include "addin_list/image_bits.h"
#include "addin_list/listed_addins.h"

#include "wide_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

// The start of a PE image as a linker writes one: the DOS header pointing at
// the PE header, whose file header starts with the machine.
std::vector<std::uint8_t> Image(std::uint16_t machine, std::uint32_t peAt = 0x80,
                                size_t size = 0x200)
{
    std::vector<std::uint8_t> image(size);
    image[0] = 'M';
    image[1] = 'Z';
    for (int i = 0; i < 4; ++i) {
        image[0x3C + i] = static_cast<std::uint8_t>(peAt >> (8 * i));
    }
    if (peAt + 6 <= size) {
        image[peAt] = 'P';
        image[peAt + 1] = 'E';
        image[peAt + 4] = static_cast<std::uint8_t>(machine);
        image[peAt + 5] = static_cast<std::uint8_t>(machine >> 8);
    }
    return image;
}

TEST(Inventory, ReadsAnImagesBitnessFromItsMachine)
{
    std::vector<std::uint8_t> notPe = Image(0x8664);
    notPe[0x81] = 'X';
    std::vector<std::uint8_t> notMz = Image(0x8664);
    notMz[0] = 'Z';
    struct Case {
        const char* what;
        std::vector<std::uint8_t> head;
        std::optional<int> bits;
    };
    const Case cases[] = {
        {"x86", Image(0x014C), 32},
        {"x64", Image(0x8664), 64},
        {"ARM64", Image(0xAA64), 64},
        {"Itanium", Image(0x0200), std::nullopt},
        {"the PE header at the very end", Image(0x8664, 0x1FA), 64},
        {"the PE header beyond what was read", Image(0x8664, 0x1FC), std::nullopt},
        {"the PE header far beyond", Image(0x8664, 0xFFFFFFF0), std::nullopt},
        {"no PE signature", notPe, std::nullopt},
        {"no DOS header", notMz, std::nullopt},
        {"too short", std::vector<std::uint8_t>{'M', 'Z'}, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ImageBits(c.head), c.bits);
    }
}

TEST(Inventory, ListsEveryEntryOfBothLists)
{
    const PathBase base = {L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\AddIns", L"C:\\Deploy"};
    const std::vector<StoredValue> options = {
        StringValue(L"Font", L"Calibri,11"),
        StringValue(L"OPEN1", L"/R calc.xll"),
        StringValue(L"OPEN", L"\"C:\\Add-ins\\Sales Tools.xlam\""),
        StringValue(L"OPEN2", L"/A \"Contoso.Functions\""),
        StringValue(L"OPEN4", L"C:\\Past\\The\\Gap.xlam"),
        StringValue(L"OPEN01", L"C:\\Not\\Read.xlam"),
    };
    const std::vector<ListedAddIn> listed =
        ListedAddIns(options, {L"C:\\Old\\Tools.xlam", L"Label"}, base);
    struct Want {
        std::wstring where;
        std::wstring value;
        bool installed;
        std::wstring path;
    };
    const std::vector<Want> wanted = {
        {L"OPEN", L"\"C:\\Add-ins\\Sales Tools.xlam\"", true, L"C:\\Add-ins\\Sales Tools.xlam"},
        {L"OPEN1", L"/R calc.xll", true, base.addInsFolder + L"\\calc.xll"},
        {L"OPEN2", L"/A \"Contoso.Functions\"", true, L""},
        {L"OPEN4", L"C:\\Past\\The\\Gap.xlam", true, L"C:\\Past\\The\\Gap.xlam"},
        {L"Add-in Manager", L"C:\\Old\\Tools.xlam", false, L"C:\\Old\\Tools.xlam"},
        {L"Add-in Manager", L"Label", false, base.addInsFolder + L"\\Label"},
    };
    ASSERT_EQ(listed.size(), wanted.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE(Shown(wanted[i].value));
        EXPECT_EQ(listed[i].where, wanted[i].where);
        EXPECT_EQ(listed[i].value, wanted[i].value);
        EXPECT_EQ(listed[i].installed, wanted[i].installed);
        EXPECT_EQ(listed[i].path, wanted[i].path);
    }
}

}  // namespace
