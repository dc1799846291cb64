#pragma once

// Names shared by the stand-in Excel server and the tests that drive it.
// Kept free of Windows headers so any test source can include it.
namespace standin {

inline constexpr wchar_t kClsid[] = L"{7C1E3B58-2F4A-4D61-9B0E-5A8D3C2F6E14}";
inline constexpr wchar_t kProgId[] = L"Excel.Application";
// Excel registers its version as the default value of the ProgID's CurVer
// key, which names this ProgID; its number is the version's registry key.
inline constexpr wchar_t kVersionedProgId[] = L"Excel.Application.16";

// Where Excel keeps its list of add-ins, under HKEY_CURRENT_USER.
inline constexpr wchar_t kExcelKey[] = L"Software\\Microsoft\\Office\\16.0\\Excel";
// The installed add-ins are the REG_SZ values OPEN, OPEN1, OPEN2, ...: the
// file, perhaps after flags ("/R", "/F"), quoted or not, a bare name being a
// file in %APPDATA%\Microsoft\AddIns; "/A <ProgID>" is an automation
// add-in. Every other value is one of Excel's settings.
inline constexpr wchar_t kOptionsKey[] = L"Software\\Microsoft\\Office\\16.0\\Excel\\Options";
// Add-ins listed but not installed: the value's name is the full path, its
// data empty. Those in the user's add-ins folder have no value here.
inline constexpr wchar_t kAddInManagerKey[] =
    L"Software\\Microsoft\\Office\\16.0\\Excel\\Add-in Manager";

// The stand-in's own settings, under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"Software\\ExcelStandIn";

// Values under kSettingsKey, read once when the server starts.
inline constexpr wchar_t kCallLogValue[] = L"CallLog";              // REG_SZ
inline constexpr wchar_t kFailCallValue[] = L"FailCall";            // REG_SZ "Object.Member"
inline constexpr wchar_t kFailHResultValue[] = L"FailHResult";      // REG_DWORD
inline constexpr wchar_t kMissingMemberValue[] = L"MissingMember";  // REG_SZ "Object.Member"
inline constexpr wchar_t kNoObjectValue[] = L"NoObject";            // REG_SZ "Object.Member"
inline constexpr wchar_t kDieInValue[] = L"DieIn";                  // REG_SZ "Object.Member"
inline constexpr wchar_t kFailStartValue[] = L"FailStart";          // REG_DWORD
// A user opens Excel while the client's call on this member runs (or, for
// "start", while this server starts): the call returns once that Excel's
// window shows (see /pretend-running).
inline constexpr wchar_t kOpenUsersExcelInValue[] = L"OpenUsersExcelIn";  // REG_SZ "Object.Member"

// An Excel that did not take the change: when it ends, it writes the
// add-ins it found installed at its start back as installed.
inline constexpr wchar_t kKeepInstalledOnExitValue[] = L"KeepInstalledOnExit";  // REG_DWORD 1

// A busy or hung Excel. Each call turned away is logged on a line that starts
// with "busy ", so a test can drop those lines and compare the rest with a
// normal run.
//
// A message filter answers SERVERCALL_REJECTED to the first N calls of
// IDispatch's own methods (GetIDsOfNames, Invoke, GetTypeInfo,
// GetTypeInfoCount), logging "busy IDispatch.<Method>"; activation and
// reference counting always get through. The client gets
// RPC_E_CALL_REJECTED at once: Wine never asks a client's own message
// filter (RetryRejectedCall) whether to try again, so any retrying is the
// client's.
inline constexpr wchar_t kRejectCallsValue[] = L"RejectCalls";  // REG_DWORD N
// The first N Invokes, on any object, return RPC_E_SERVERCALL_RETRYLATER
// and do nothing else; each logs "busy invoke <Object>.<Member>" (a DISPID
// the object lacks shows as "#<dispid>") instead of its "invoke" line. The
// client gets the code unchanged.
inline constexpr wchar_t kRetryLaterInvokesValue[] = L"RetryLaterInvokes";  // REG_DWORD N
// Logs the "invoke" line, then "hang <Object>.<Member>", and never returns.
// Once the server is killed the client's call fails (0x800706BE under Wine).
inline constexpr wchar_t kHangInValue[] = L"HangIn";  // REG_SZ "Object.Member"
// Logs "start" and waits for ever without offering its class object. Wine's
// CoCreateInstance gives up after about 30 s with E_NOINTERFACE, whether or
// not the server has been killed meanwhile.
inline constexpr wchar_t kNeverRegisterValue[] = L"NeverRegister";  // REG_DWORD 1

}  // namespace standin
