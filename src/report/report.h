// Where the run's reports go: modal boxes, or with /quiet one line each on
// standard error; and every report also into the log, if there is one.
#pragma once

#include <string>

void SetQuietReports(bool quiet);

// One failure: a box with text and caption, or the line
// "uninstall-addin: <text>".
void ReportError(const std::string& text, const char* caption);

// A failed call. codeName, when given, gets a box of its own (caption
// "Error:"); on a line it joins the failure as " (<codeName>)", with the
// server's own description of the error, when there is one, as
// " (<codeName>: <detail>)". The detail never shows in a box.
void ReportCallFailure(const std::string& text, const char* caption, const char* codeName,
                       const std::string& detail);

// Something the user can put right: a warning box with Retry and Cancel.
// Returns true for Retry. Quiet runs can't ask: they report quietText and
// return false.
bool AskToRetry(const std::string& boxText, const char* caption, const std::string& quietText);

// While a run holds a lock on Excel's lists, a box that nobody answers
// would hold every other run back. While one of these lives, reports that
// would be boxes wait (each is logged at once, and a quiet line is written
// at once); they are shown when the last one goes, the locks given up.
// Asking to retry needs an answer: it is never done while one lives.
class BoxesWait {
public:
    BoxesWait();
    ~BoxesWait();

    BoxesWait(const BoxesWait&) = delete;
    BoxesWait& operator=(const BoxesWait&) = delete;
};

// A user's result: one line on standard output, "<user>: <result>", and
// the same in the log. Names and reasons come from users' data: shown
// escaped, they can't pass for another line.
void TellResult(const std::string& user, const std::string& result);

// A bad command line: the problem, and in a box usage, how to call the
// program.
void ReportUsageError(const std::string& problem, const std::string& usage);
