#include "excel/exception_info.h"

#include "report/text.h"

#include <oleauto.h>

EXCEPINFO* ExceptionInfo::Fresh()
{
    Clear();
    return &m_info;
}

std::string ExceptionInfo::Describe()
{
    // A server may leave the strings to be filled in only when asked for.
    if (m_info.pfnDeferredFillIn != nullptr) {
        auto fillIn = m_info.pfnDeferredFillIn;
        m_info.pfnDeferredFillIn = nullptr;
        fillIn(&m_info);
    }
    auto text = [](BSTR value) {
        return value != nullptr ? AnsiFromWide(std::wstring(value, SysStringLen(value)))
                                : std::string();
    };
    const std::string source = text(m_info.bstrSource);
    const std::string description = text(m_info.bstrDescription);
    if (source.empty() || description.empty()) {
        return source + description;
    }
    return source + ": " + description;
}

void ExceptionInfo::Clear()
{
    SysFreeString(m_info.bstrSource);
    SysFreeString(m_info.bstrDescription);
    SysFreeString(m_info.bstrHelpFile);
    m_info = EXCEPINFO{};
}
