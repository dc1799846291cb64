#include "box_recorder.h"
#include "excel/dispatch.h"
#include "fake_dispatch.h"
#include "quiet_capture.h"
#include "report/report.h"
#include "excel/time_limit.h"

#include <gtest/gtest.h>

#include <io.h>

#include <cstdio>
#include <string>

namespace {

// A death test's parent reads the child's C runtime stderr (in text mode,
// so line ends arrive as "\n"); quiet reports go to the Windows handle, so
// point that at the same place.
void QuietReportsToCrtStderr()
{
    SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(2)));
    SetQuietReports(true);
}

VARIANT Int(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

TEST(AutoWrap, PassesArgumentsInTheOrderGiven)
{
    FakeDispatch target;
    AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 3, Int(10), Int(20), Int(30));

    ASSERT_EQ(target.invocations.size(), 1u);
    const auto& call = target.invocations[0];
    ASSERT_EQ(call.args.size(), 3u);
    EXPECT_EQ(call.args[0].vt, VT_I4);
    EXPECT_EQ(call.args[0].lVal, 10);
    EXPECT_EQ(call.args[1].lVal, 20);
    EXPECT_EQ(call.args[2].lVal, 30);
}

TEST(AutoWrap, LeavesArgumentContentsToTheCaller)
{
    BSTR text = SysAllocString(L"C:\\addins\\Sample.xlam");
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = text;

    FakeDispatch target;
    AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 1, arg);

    ASSERT_EQ(target.invocations.size(), 1u);
    EXPECT_EQ(target.invocations[0].args[0].bstrVal, text);
    // Still ours, still intact.
    EXPECT_STREQ(text, L"C:\\addins\\Sample.xlam");
    SysFreeString(text);
}

TEST(AutoWrap, NamesThePutArgumentOnlyForPropertyPuts)
{
    struct Case {
        int flags;
        bool named;
    };
    const Case cases[] = {
        {DISPATCH_METHOD, false},
        {DISPATCH_PROPERTYGET, false},
        {DISPATCH_METHOD | DISPATCH_PROPERTYGET, false},
        {DISPATCH_PROPERTYPUTREF, false},
        {DISPATCH_PROPERTYPUT, true},
        {DISPATCH_PROPERTYPUT | DISPATCH_METHOD, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        FakeDispatch target;
        if (c.named) {
            AutoWrap(c.flags, nullptr, &target, L"Installed", 1, Int(0));
        } else {
            AutoWrap(c.flags, nullptr, &target, L"Workbooks", 0);
        }
        ASSERT_EQ(target.invocations.size(), 1u);
        const auto& call = target.invocations[0];
        EXPECT_EQ(call.flags, c.flags);
        if (c.named) {
            EXPECT_EQ(call.args.size(), 1u);
            EXPECT_EQ(call.namedArgs, std::vector<DISPID>{DISPID_PROPERTYPUT});
        } else {
            EXPECT_TRUE(call.args.empty());
            EXPECT_TRUE(call.namedArgs.empty());
            EXPECT_TRUE(call.namedArrayIsNull);
        }
    }
}

TEST(AutoWrap, LooksUpInTheUserLocaleAndCallsInTheSystemLocale)
{
    FakeDispatch target;
    target.dispatchId = 42;
    AutoWrap(DISPATCH_PROPERTYGET, nullptr, &target, L"Workbooks", 0);

    ASSERT_EQ(target.lookups.size(), 1u);
    EXPECT_EQ(target.lookups[0].name, L"Workbooks");
    EXPECT_EQ(target.lookups[0].nameCount, 1u);
    EXPECT_EQ(target.lookups[0].locale, static_cast<LCID>(LOCALE_USER_DEFAULT));
    EXPECT_TRUE(target.lookups[0].nullInterfaceId);

    ASSERT_EQ(target.invocations.size(), 1u);
    const auto& call = target.invocations[0];
    EXPECT_EQ(call.dispatchId, 42);
    EXPECT_EQ(call.locale, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
    EXPECT_TRUE(call.nullInterfaceId);
    // Excel describes its errors there.
    EXPECT_TRUE(call.excepInfoGiven);
    EXPECT_FALSE(call.argErrGiven);
}

TEST(AutoWrap, SuccessShowsNothingAndHandsBackTheResult)
{
    BoxRecorder boxes;
    FakeDispatch target;
    target.invokeResult = S_FALSE;
    target.resultToGive = Int(7);

    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(AutoWrap(DISPATCH_PROPERTYGET, &result, &target, L"Workbooks", 0), S_FALSE);
    EXPECT_EQ(target.invocations[0].result, &result);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 7);

    AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Quit", 0);
    EXPECT_EQ(target.invocations[1].result, nullptr);

    Sleep(100);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(target.references(), 1u);
}

TEST(AutoWrap, ReportsAFailedCallAndNamesOnlyTheStandardDispatchCodes)
{
    struct Case {
        unsigned long code;
        const char* name;  // null: no second box
    };
    const Case cases[] = {
        {0x80020000, nullptr},
        {0x80020001, "DISP_E_UNKNOWNINTERFACE"},
        {0x80020002, nullptr},
        {0x80020003, "DISP_E_MEMBERNOTFOUND"},
        {0x80020004, "DISP_E_PARAMNOTFOUND"},
        {0x80020005, "DISP_E_TYPEMISMATCH"},
        {0x80020006, nullptr},
        {0x80020007, "DISP_E_NONAMEDARGS"},
        {0x80020008, "DISP_E_BADVARTYPE"},
        {0x80020009, "DISP_E_EXCEPTION"},
        {0x8002000A, "DISP_E_OVERFLOW"},
        {0x8002000B, nullptr},
        {0x8002000C, "DISP_E_UNKNOWNLCID"},
        {0x8002000D, nullptr},
        {0x8002000E, "DISP_E_BADPARAMCOUNT"},
        {0x8002000F, "DISP_E_PARAMNOTOPTIONAL"},
        {0x80020010, nullptr},
        {0x80004005, nullptr},
        {0x800A03EC, nullptr},
        {0x800706BE, nullptr},
    };
    for (const Case& c : cases) {
        char expected[100];
        std::snprintf(expected, sizeof expected,
                      "AutoWrap(): IDispatch::Invoke(\"Add\"=00001234) failed w/err 0x%08lx",
                      c.code);
        SCOPED_TRACE(expected);

        BoxRecorder boxes;
        FakeDispatch target;
        target.invokeResult = static_cast<HRESULT>(c.code);
        EXPECT_EQ(AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 0),
                  static_cast<HRESULT>(c.code));

        std::vector<std::string> want = {expected};
        if (c.name != nullptr) {
            want.push_back(std::string("Error:: ") + c.name);
        }
        EXPECT_EQ(boxes.Texts(), want);
        // Only a busy server's rejections are worth another try.
        EXPECT_EQ(target.invocations.size(), 1u);
    }
}

TEST(AutoWrap, QuietRunsPutEachFailureOnOneLineWithItsCodeName)
{
    struct Case {
        unsigned long code;
        const char* line;
    };
    const Case cases[] = {
        {0x80020003, "uninstall-addin: IDispatch::Invoke(\"Add\"=00001234) failed w/err 0x80020003 "
                     "(DISP_E_MEMBERNOTFOUND)\r\n"},
        {0x80020006,
         "uninstall-addin: IDispatch::Invoke(\"Add\"=00001234) failed w/err 0x80020006\r\n"},
        {0x800706BA,
         "uninstall-addin: IDispatch::Invoke(\"Add\"=00001234) failed w/err 0x800706ba\r\n"},
    };
    for (const Case& c : cases) {
        BoxRecorder boxes;
        FakeDispatch target;
        target.invokeResult = static_cast<HRESULT>(c.code);
        std::string written;
        {
            QuietCapture quiet;
            AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 0);
            written = quiet.Text();
        }
        EXPECT_EQ(written, c.line);
        Sleep(100);
        EXPECT_TRUE(boxes.Texts().empty());
    }
}

TEST(AutoWrap, QuietRunsAddExcelsOwnDescriptionOfAnException)
{
    struct Case {
        const wchar_t* source;
        const wchar_t* description;
        bool deferred;
        const char* suffix;
    };
    const Case cases[] = {
        {L"Microsoft Excel", L"Add method of AddIns class failed", false,
         " (DISP_E_EXCEPTION: Microsoft Excel: Add method of AddIns class failed)"},
        {L"Microsoft Excel", L"Add method of AddIns class failed", true,
         " (DISP_E_EXCEPTION: Microsoft Excel: Add method of AddIns class failed)"},
        {nullptr, L"Sorry, we couldn't find it", false,
         " (DISP_E_EXCEPTION: Sorry, we couldn't find it)"},
        {L"Microsoft Excel", nullptr, false, " (DISP_E_EXCEPTION: Microsoft Excel)"},
        {nullptr, nullptr, false, " (DISP_E_EXCEPTION)"},
        // A line stays one line.
        {L"Microsoft Excel", L"Cannot open.\r\nTry again.", false,
         " (DISP_E_EXCEPTION: Microsoft Excel: Cannot open.  Try again.)"},
        // Nothing in it can hide the rest of the line.
        {L"Microsoft Excel", L"Cannot\topen \x1b[8mC:\\a.xlam", false,
         " (DISP_E_EXCEPTION: Microsoft Excel: Cannot\\topen \\x1b[8mC:\\a.xlam)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suffix);
        BoxRecorder boxes;
        FakeDispatch target;
        target.invokeResult = DISP_E_EXCEPTION;
        target.exceptionSource = c.source;
        target.exceptionDescription = c.description;
        target.deferDescription = c.deferred;
        FakeDispatch::deferredFillInCalled() = false;
        std::string written;
        {
            QuietCapture quiet;
            AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 0);
            written = quiet.Text();
        }
        EXPECT_EQ(written,
                  std::string("uninstall-addin: IDispatch::Invoke(\"Add\"=00001234) failed w/err "
                              "0x80020009") +
                      c.suffix + "\r\n");
        EXPECT_EQ(FakeDispatch::deferredFillInCalled(), c.deferred);
    }
}

TEST(AutoWrap, BoxesKeepTheirTextsWhenExcelDescribesTheError)
{
    BoxRecorder boxes;
    FakeDispatch target;
    target.invokeResult = DISP_E_EXCEPTION;
    target.exceptionSource = L"Microsoft Excel";
    target.exceptionDescription = L"Add method of AddIns class failed";
    AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 0);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "AutoWrap(): IDispatch::Invoke(\"Add\"=00001234) failed w/err 0x80020009",
                  "Error:: DISP_E_EXCEPTION"}));
}

TEST(AutoWrap, AsksABusyServerAgainUntilItTakesTheCall)
{
    struct Case {
        const char* what;
        int busyLookups;
        int busyInvokes;
        HRESULT busyResult;
    };
    const Case cases[] = {
        {"lookup rejected", 3, 0, RPC_E_CALL_REJECTED},
        {"invoke rejected", 0, 3, RPC_E_CALL_REJECTED},
        {"invoke asked to retry later", 0, 3, RPC_E_SERVERCALL_RETRYLATER},
        {"both", 1, 2, RPC_E_SERVERCALL_RETRYLATER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoxRecorder boxes;
        FakeDispatch target;
        target.busyLookups = c.busyLookups;
        target.busyInvokes = c.busyInvokes;
        target.busyResult = c.busyResult;
        target.resultToGive.vt = VT_I4;
        target.resultToGive.lVal = 7;

        VARIANT result;
        VariantInit(&result);
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(AutoWrap(DISPATCH_PROPERTYGET, &result, &target, L"Workbooks", 0), S_OK);
        const ULONGLONG elapsed = GetTickCount64() - start;

        EXPECT_EQ(result.lVal, 7);
        EXPECT_EQ(target.lookups.size(), static_cast<size_t>(c.busyLookups + 1));
        EXPECT_EQ(target.invocations.size(), static_cast<size_t>(c.busyInvokes + 1));
        // Pauses of 50 ms and more that grow, not a busy loop: three
        // rejections wait at least 50 + 100 + 200 ms, or 50 + 50 + 100.
        EXPECT_GE(elapsed, c.busyLookups == 1 ? 190u : 340u);
        Sleep(100);
        EXPECT_TRUE(boxes.Texts().empty());
    }
}

// A stuck server ends the process once the step's time is up; these run in
// a child, which reports quietly on its standard error.
TEST(AutoWrapDeathTest, AStepThatOutlastsTheTimeLimitEndsTheRunWithFour)
{
    struct Case {
        const char* what;
        DWORD invokeDelayMs;
        int busyLookups;
        const char* line;
    };
    const Case cases[] = {
        {"hung call", 20000, 0, "uninstall-addin: Excel did not answer \"Quit\" within 1 s\n"},
        {"busy for ever", 0, 1000000,
         "uninstall-addin: Excel did not answer \"Quit\" within 1 s\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(
            {
                QuietReportsToCrtStderr();
                SetExcelTimeLimit(1);
                FakeDispatch target;
                target.invokeDelayMs = c.invokeDelayMs;
                target.busyLookups = c.busyLookups;
                AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Quit", 0);
                std::fprintf(stderr, "returned\n");
            },
            ::testing::ExitedWithCode(4), "^" + LiteralRegex(c.line) + "$");
    }
}

TEST(AutoWrap, AStepWithinItsTimeLimitGoesOn)
{
    SetExcelTimeLimit(1);
    FakeDispatch target;
    target.invokeDelayMs = 300;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Quit", 0), S_OK);
    }
    SetExcelTimeLimit(0);
}

TEST(AutoWrap, ShowsItsBoxesAsErrorsWithOneOkButton)
{
    BoxRecorder boxes;
    FakeDispatch target;
    target.invokeResult = DISP_E_EXCEPTION;
    AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Add", 0);

    const auto seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 2u);
    for (const RecordedBox& box : seen) {
        EXPECT_TRUE(box.okOnly) << box.text;
        EXPECT_TRUE(box.errorIcon) << box.text;
    }
}

TEST(AutoWrap, PrintsTheDispatchIdAsEightHexDigits)
{
    struct Case {
        DISPID id;
        const char* shown;
    };
    const Case cases[] = {{0, "00000000"}, {0x60020001, "60020001"}, {-5, "fffffffb"}};
    for (const Case& c : cases) {
        BoxRecorder boxes;
        FakeDispatch target;
        target.dispatchId = c.id;
        target.invokeResult = E_FAIL;
        AutoWrap(DISPATCH_METHOD, nullptr, &target, L"Quit", 0);
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{std::string("AutoWrap(): IDispatch::Invoke(\"Quit\"=") +
                                           c.shown + ") failed w/err 0x80004005"});
    }
}

TEST(AutoWrap, CutsShortANameTooLongForItsMessage)
{
    for (size_t length : {150u, 199u, 200u, 1000u}) {
        SCOPED_TRACE(length);
        BoxRecorder boxes;
        FakeDispatch target;
        target.invokeResult = E_FAIL;
        const std::wstring name(length, L'N');
        AutoWrap(DISPATCH_METHOD, nullptr, &target, name.c_str(), 0);

        const auto seen = boxes.Boxes();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_LT(seen[0].text.size(), 200u);
        EXPECT_EQ(seen[0].text.rfind("IDispatch::Invoke(\"NNNNNNNN", 0), 0u) << seen[0].text;
    }
}

TEST(AutoWrap, ShowsTheNameInTheAnsiCodePage)
{
    // A character every single-byte Windows code page has beyond ASCII is
    // rare; take whatever this code page makes of byte 0xC9.
    const char ansi[] = "\xC9t\xC9";
    wchar_t wide[8] = {};
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 8), 0);

    BoxRecorder boxes;
    FakeDispatch target;
    target.invokeResult = E_FAIL;
    AutoWrap(DISPATCH_METHOD, nullptr, &target, wide, 0);

    char back[8] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, back, 8, nullptr, nullptr);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{std::string("AutoWrap(): IDispatch::Invoke(\"") + back +
                                       "\"=00001234) failed w/err 0x80004005"});
}

// The fatal exits end the process, so they run in a child; the child's own
// recorder dismisses its box and tells the parent what it said.
TEST(AutoWrapDeathTest, NullTargetEndsTheProcessBeforeAnyLookup)
{
    EXPECT_EXIT(
        {
            BoxRecorder boxes(true);
            AutoWrap(DISPATCH_METHOD, nullptr, nullptr, L"Quit", 0);
        },
        ::testing::ExitedWithCode(2),
        "^" + LiteralRegex("box[Error]: NULL IDispatch passed to AutoWrap()\n") + "$");
    EXPECT_EXIT(
        {
            QuietReportsToCrtStderr();
            AutoWrap(DISPATCH_METHOD, nullptr, nullptr, L"Quit", 0);
        },
        ::testing::ExitedWithCode(2),
        "^" + LiteralRegex("uninstall-addin: NULL IDispatch passed to AutoWrap()\n") + "$");
}

TEST(AutoWrapDeathTest, UnknownNameEndsTheProcessWithoutInvoking)
{
    struct Case {
        unsigned long code;
        const char* box;
    };
    const Case cases[] = {
        {0x80020006,
         "box[AutoWrap()]: IDispatch::GetIDsOfNames(\"Installed\") failed w/err 0x80020006\n"},
        {0x8007000E,
         "box[AutoWrap()]: IDispatch::GetIDsOfNames(\"Installed\") failed w/err 0x8007000e\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(
            {
                BoxRecorder boxes(true);
                FakeDispatch target;
                target.lookupResult = static_cast<HRESULT>(c.code);
                AutoWrap(DISPATCH_PROPERTYPUT, nullptr, &target, L"Installed", 1, Int(0));
                std::fprintf(stderr, "returned after %zu invocations\n", target.invocations.size());
            },
            ::testing::ExitedWithCode(2), "^" + LiteralRegex(c.box) + "$");
    }
}

}  // namespace
