// Which Excel version is registered for automation, so that a run can read
// the list that this Excel keeps.
#pragma once

#include <optional>
#include <string>

// "16.0" from HKEY_CLASSES_ROOT\Excel.Application\CurVer
// ("Excel.Application.16"), or else from the version resource of the
// executable registered as its local server; nothing when neither tells.
std::optional<std::wstring> RegisteredExcelVersion();

// The program registered as the local server of the class whose CLSID is
// given as text ("{...}"), as a full path, from the registry's 64-bit view
// or else its 32-bit one (as a 32-bit Office registers Excel); empty when
// there is none.
std::wstring ServerExecutable(const std::wstring& clsid);

// Excel's class id as registered for its ProgID, "{...}"; empty if none.
std::wstring RegisteredExcelClsid();
