#include "excel/time_limit.h"

#include "report/exit_status.h"
#include "report/report.h"

namespace {

unsigned limitSeconds = 0;

}  // namespace

void SetExcelTimeLimit(unsigned seconds)
{
    limitSeconds = seconds;
}

ExcelStep::ExcelStep(const char* member)
{
    if (limitSeconds == 0) {
        return;
    }
    const std::string limit = std::to_string(limitSeconds) + " s";
    m_report = member != nullptr
                   ? "Excel did not answer \"" + std::string(member) + "\" within " + limit
                   : "Excel did not start within " + limit;
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
    EndProcessNow(kExitExcelHung);
}
