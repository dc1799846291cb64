// What a report or log line shows of text that a user or a command line
// chose: nothing in it can start a line of its own or hide what follows.

#include "report/escaped_text.h"

#include <gtest/gtest.h>

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

}  // namespace
