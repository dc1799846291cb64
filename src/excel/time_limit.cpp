#include "excel/time_limit.h"

#include "excel/own_excel.h"
#include "report/exit_status.h"
#include "report/report.h"

namespace {

unsigned limitSeconds = 0;

std::string Report(ExcelStep::Kind kind, const char* member, const std::string& limit)
{
    switch (kind) {
    case ExcelStep::Kind::Start: return "Excel did not start within " + limit;
    case ExcelStep::Kind::End: return "Excel did not end within " + limit;
    default: return "Excel did not answer \"" + std::string(member) + "\" within " + limit;
    }
}

}  // namespace

void SetExcelTimeLimit(unsigned seconds)
{
    limitSeconds = seconds;
}

ExcelStep::ExcelStep(Kind kind, const char* member)
{
    if (limitSeconds == 0) {
        return;
    }
    m_report = Report(kind, member, std::to_string(limitSeconds) + " s");
    // The step's own thread is blocked inside COM when time is up, so a
    // thread of the pool watches the clock.
    if (!CreateTimerQueueTimer(&m_timer, nullptr, &ExcelStep::OnTimeUp, this, limitSeconds * 1000,
                               0, WT_EXECUTEONLYONCE)) {
        m_timer = nullptr;
    }
}

ExcelStep::~ExcelStep()
{
    if (m_timer != nullptr) {
        // Waits for a report already under way: then the process ends there.
        DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE);
    }
}

void CALLBACK ExcelStep::OnTimeUp(void* step, BOOLEAN)
{
    ReportError(static_cast<ExcelStep*>(step)->m_report, "Error");
    AbandonRun(kExitExcelHung);
}
