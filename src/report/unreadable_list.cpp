#include "report/unreadable_list.h"

#include "report/console.h"
#include "report/json_line.h"
#include "report/report.h"
#include "report/text.h"

void TellUnreadableList(const std::string& prefix, const std::wstring& name,
                        const std::wstring& sid, const std::string& why, bool json)
{
    ReportError(prefix + "Excel's add-in list could not be read (" + why + ")", "Error");
    if (json) {
        WriteJsonLine(UserFields(name, sid).Text("error", WideFromAnsi(why)).Object());
    }
}
