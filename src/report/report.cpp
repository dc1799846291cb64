#include "report/report.h"

#include "report/console.h"
#include "report/log_file.h"
#include "report/text.h"

#include <windows.h>

#include <vector>

namespace {

bool quietReports = false;

// The boxes waiting for the lists' locks to be given up, in their order.
struct WaitingBox {
    std::string text;
    std::string caption;
};
int boxesWaiting = 0;
std::vector<WaitingBox> waitingBoxes;

constexpr UINT kErrorBoxStyle = MB_OK | MB_ICONERROR | MB_SETFOREGROUND;
constexpr UINT kRetryBoxStyle = MB_RETRYCANCEL | MB_ICONWARNING | MB_SETFOREGROUND;

void WriteErrorLine(const std::string& text)
{
    WriteLine(STD_ERROR_HANDLE, "uninstall-addin: " + EscapedLine(text));
}

void ShowErrorBox(const std::string& text, const char* caption)
{
    if (boxesWaiting > 0) {
        waitingBoxes.push_back({text, caption});
        return;
    }
    MessageBoxA(nullptr, text.c_str(), caption, kErrorBoxStyle);
}

}  // namespace

void SetQuietReports(bool quiet)
{
    quietReports = quiet;
}

void ReportError(const std::string& text, const char* caption)
{
    ReportCallFailure(text, caption, nullptr, "");
}

void ReportCallFailure(const std::string& text, const char* caption, const char* codeName,
                       const std::string& detail)
{
    // The server's description may run over several lines: they join.
    const std::string description = OneLine(detail);
    std::string line = text;
    if (codeName != nullptr) {
        line +=
            " (" + std::string(codeName) + (description.empty() ? "" : ": " + description) + ")";
    } else if (!description.empty()) {
        line += " (" + description + ")";
    }

    LogEvent("error: " + line);
    if (quietReports) {
        WriteErrorLine(line);
        return;
    }
    ShowErrorBox(text, caption);
    if (codeName != nullptr) {
        ShowErrorBox(codeName, "Error:");
    }
}

BoxesWait::BoxesWait()
{
    ++boxesWaiting;
}

BoxesWait::~BoxesWait()
{
    if (--boxesWaiting > 0) {
        return;
    }
    std::vector<WaitingBox> boxes;
    boxes.swap(waitingBoxes);
    for (const WaitingBox& box : boxes) {
        MessageBoxA(nullptr, box.text.c_str(), box.caption.c_str(), kErrorBoxStyle);
    }
}

bool AskToRetry(const std::string& boxText, const char* caption, const std::string& quietText)
{
    LogEvent("error: " + quietText);
    if (quietReports) {
        WriteErrorLine(quietText);
        return false;
    }
    return MessageBoxA(nullptr, boxText.c_str(), caption, kRetryBoxStyle) == IDRETRY;
}

void TellResult(const std::string& user, const std::string& result)
{
    const std::string line = user + ": " + result;
    WriteLine(STD_OUTPUT_HANDLE, EscapedLine(line));
    LogEvent("result: " + line);
}

void ReportUsageError(const std::string& problem, const std::string& usage)
{
    // Nothing without a log, as when the command line itself is wrong.
    LogEvent("error: " + problem);
    if (quietReports) {
        WriteErrorLine(problem + "; \"uninstall-addin.exe /?\" shows the usage");
    } else {
        MessageBoxA(nullptr, (problem + ".\n\n" + usage).c_str(), "Error", kErrorBoxStyle);
    }
}
