#include "settings.h"

#include "standin_ids.h"
#include "text.h"

namespace {

std::wstring ReadString(const wchar_t* name)
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, standin::kSettingsKey, name, RRF_RT_REG_SZ, nullptr,
                     nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, standin::kSettingsKey, name, RRF_RT_REG_SZ, nullptr,
                     value.data(), &size) != ERROR_SUCCESS)
        return {};
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

bool ReadDword(const wchar_t* name, DWORD& value)
{
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, standin::kSettingsKey, name, RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS;
}

}  // namespace

Settings ReadSettings()
{
    Settings settings;
    settings.callLog = ReadString(standin::kCallLogValue);
    settings.failCall = ReadString(standin::kFailCallValue);
    settings.missingMember = ReadString(standin::kMissingMemberValue);
    settings.noObject = ReadString(standin::kNoObjectValue);
    settings.dieIn = ReadString(standin::kDieInValue);
    settings.hangIn = ReadString(standin::kHangInValue);
    settings.openUsersExcelIn = ReadString(standin::kOpenUsersExcelInValue);

    DWORD value = 0;
    if (ReadDword(standin::kFailHResultValue, value))
        settings.failHResult = static_cast<HRESULT>(value);
    settings.failStart = ReadDword(standin::kFailStartValue, value) && value != 0;
    settings.neverRegister = ReadDword(standin::kNeverRegisterValue, value) && value != 0;
    settings.keepInstalledOnExit =
        ReadDword(standin::kKeepInstalledOnExitValue, value) && value != 0;
    if (ReadDword(standin::kRejectCallsValue, value))
        settings.rejectCalls = value;
    if (ReadDword(standin::kRetryLaterInvokesValue, value))
        settings.retryLaterInvokes = value;
    return settings;
}

bool Targets(const std::wstring& setting, const std::wstring& objectName,
             const std::wstring& memberName)
{
    return !setting.empty() && SameText(setting, objectName + L"." + memberName);
}
