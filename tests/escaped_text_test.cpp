// What a report or log line shows of text that a user or a command line
// chose: nothing in it can start a line of its own or hide what follows.

#include "report/escaped_text.h"
#include "report/json_line.h"

#include <gtest/gtest.h>
#if HAVE_JSON_PARSER
#include <nlohmann/json.hpp>
#endif

#include <string>

namespace {

TEST(EscapedText, ShowsControlCharactersAsEscapesAndPathsAsTheyAre)
{
    struct Case {
        std::wstring text;
        std::wstring shown;
    };
    const Case cases[] = {
        {L"C:\\new\\tools\\x64\\Sales Tools.xlam", L"C:\\new\\tools\\x64\\Sales Tools.xlam"},
        {L"", L""},
        // A forged second line, another user's result in it.
        {L"C:\\a.xlam\r\nbob (S-1-5-21-1): not installed",
         L"C:\\a.xlam\\r\\nbob (S-1-5-21-1): not installed"},
        {L"a\tb", L"a\\tb"},
        {L"\x1b[8mhidden\x1b[0m", L"\\x1b[8mhidden\\x1b[0m"},
        {std::wstring(L"a\0b", 3), L"a\\x00b"},
        {L"\x7f\x85\x9b", L"\\x7f\\x85\\x9b"},
        {L"a\x2028"
         L"b\x2029",
         L"a\\u2028b\\u2029"},
        {L"x\x202e"
         L"mlax.exe\x2066\x2069",
         L"x\\u202emlax.exe\\u2066\\u2069"},
        // Letters of every script, and the characters around the escaped ones.
        {L"Caf\u00e9 \u03a9 \u00a0\u200b\u2030\u206a",
         L"Caf\u00e9 \u03a9 \u00a0\u200b\u2030\u206a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeControls(c.text), c.shown);
    }
}

// JSON lines for tools: ASCII only, and a real parser reads back the text
// as stored, whatever the registry holds.
TEST(EscapedText, WritesJsonThatReadsBackAsStored)
{
    struct Case {
        std::wstring text;
        std::string written;
        std::string read;  // as UTF-8; empty where no strict parser takes it
    };
    const Case cases[] = {
        {L"C:\\Add-ins\\calc.xll", "\"C:\\\\Add-ins\\\\calc.xll\"", "C:\\Add-ins\\calc.xll"},
        {L"/R \"C:\\x.xlam\"", "\"/R \\\"C:\\\\x.xlam\\\"\"", "/R \"C:\\x.xlam\""},
        {L"", "\"\"", ""},
        {L"a\r\nb\tc", "\"a\\r\\nb\\tc\"", "a\r\nb\tc"},
        {std::wstring(L"\x1b[8m\0\x7f", 6), "\"\\u001b[8m\\u0000\\u007f\"",
         std::string("\x1b[8m\0\x7f", 6)},
        {L"Caf\u00e9 \u03a9 \u2028", "\"Caf\\u00e9 \\u03a9 \\u2028\"",
         "Caf\xc3\xa9 \xce\xa9 \xe2\x80\xa8"},
        // A character beyond the first plane is a surrogate pair.
        {L"\xd83d\xde00", "\"\\ud83d\\ude00\"", "\xf0\x9f\x98\x80"},
        // Registry data need not be valid UTF-16: a lone surrogate is kept.
        {L"x\xd800y", "\"x\\ud800y\"", ""},
    };
    for (const Case& c : cases) {
        const std::string line = JsonLine().Text("value", c.text).Object();
        EXPECT_EQ(line, "{\"value\":" + c.written + "}");
        for (const char byte : line) {
            EXPECT_TRUE(byte >= 0x20 && byte < 0x7f) << line;
        }
#if HAVE_JSON_PARSER
        if (!c.read.empty() || c.text.empty()) {
            EXPECT_EQ(nlohmann::json::parse(line).at("value").get<std::string>(), c.read) << line;
        }
#endif
    }
    const std::string object = JsonLine()
                                   .Text("user", L"ann")
                                   .Null("path")
                                   .Boolean("installed", true)
                                   .Number("xll_bits", 64)
                                   .Object();
    EXPECT_EQ(object, "{\"user\":\"ann\",\"path\":null,\"installed\":true,\"xll_bits\":64}");
#if HAVE_JSON_PARSER
    const nlohmann::json parsed = nlohmann::json::parse(object);
    EXPECT_TRUE(parsed.at("path").is_null());
    EXPECT_EQ(parsed.at("installed"), true);
    EXPECT_EQ(parsed.at("xll_bits"), 64);
#endif
}

}  // namespace
