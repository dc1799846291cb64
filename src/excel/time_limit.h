// The one place that bounds how long the program waits on Excel.
//
// Every wait is one step: starting Excel, one call on it (a name lookup, an
// invocation or a release, with the retries of a busy Excel's rejections
// included), or waiting for it to end. A step that outlasts the limit means
// Excel is stuck: the program reports it, ends that Excel and ends at once
// with kExitExcelHung, without calling or releasing anything more, since
// any further call would block as well.
// Boxes are shown between steps, so a box waiting for a click never counts.
#pragma once

#include <windows.h>

#include <string>

// 0 means no limit.
void SetExcelTimeLimit(unsigned seconds);

class ExcelStep {
public:
    enum class Kind { Start, Call, End };

    // member: the name of the member called, for a Call.
    explicit ExcelStep(Kind kind, const char* member = nullptr);
    ~ExcelStep();

    ExcelStep(const ExcelStep&) = delete;
    ExcelStep& operator=(const ExcelStep&) = delete;

private:
    static void CALLBACK OnTimeUp(void* step, BOOLEAN);

    std::string m_report;
    HANDLE m_timer = nullptr;
};
