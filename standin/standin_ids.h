#pragma once

// Names shared by the stand-in Excel server and the tests that drive it.
// Kept free of Windows headers so any test source can include it.
namespace standin {

inline constexpr wchar_t kClsid[] = L"{7C1E3B58-2F4A-4D61-9B0E-5A8D3C2F6E14}";
inline constexpr wchar_t kProgId[] = L"Excel.Application";

// HKEY_CURRENT_USER subkeys.
inline constexpr wchar_t kSettingsKey[] = L"Software\\ExcelStandIn";
inline constexpr wchar_t kAddInStateKey[] = L"Software\\ExcelStandIn\\AddIns";

// Values under kSettingsKey, read once when the server starts.
inline constexpr wchar_t kCallLogValue[] = L"CallLog";              // REG_SZ
inline constexpr wchar_t kFailCallValue[] = L"FailCall";            // REG_SZ "Object.Member"
inline constexpr wchar_t kFailHResultValue[] = L"FailHResult";      // REG_DWORD
inline constexpr wchar_t kMissingMemberValue[] = L"MissingMember";  // REG_SZ "Object.Member"
inline constexpr wchar_t kNoObjectValue[] = L"NoObject";            // REG_SZ "Object.Member"
inline constexpr wchar_t kDieInValue[] = L"DieIn";                  // REG_SZ "Object.Member"
inline constexpr wchar_t kFailStartValue[] = L"FailStart";          // REG_DWORD

}  // namespace standin
