// Excel's processes as the runs decide by them: whose they are, in which
// session, and since when. Pure: no I/O, no Windows.
//
// An Excel keeps the list of add-ins it read at its start and writes it back
// when it ends, so what counts is the user an Excel runs as, in any session
// (another remote session, a scheduled task in session 0), not the windows
// on this desktop. And an Excel is told by its creation time as well as its
// id, since Windows reuses ids.
#pragma once

#include <string>
#include <vector>

struct SeenExcel {
    unsigned long id = 0;
    unsigned long long created = 0;  // as FILETIME ticks; 0 when it can't be told
    std::wstring sid;                // its user's; empty when it can't be told
    bool sessionKnown = false;
    unsigned long session = 0;
};

// The Excel processes of the user sid, in any session.
std::vector<SeenExcel> ExcelsOf(const std::vector<SeenExcel>& running, const std::wstring& sid);

// Whether one of the Excels may be the user's: one is theirs, or one's user
// can't be told.
bool MayRunExcel(const std::vector<SeenExcel>& running, const std::wstring& sid);

// The Excel this run started: the user's, in this run's session where that
// is told, created at or after startedAt (just before the start).
std::vector<SeenExcel> StartedSince(const std::vector<SeenExcel>& running, const std::wstring& sid,
                                    const SeenExcel& thisRun, unsigned long long startedAt);

// The user's Excels created after since that are none of the run's own.
std::vector<SeenExcel> OpenedSince(const std::vector<SeenExcel>& running, const std::wstring& sid,
                                   unsigned long long since, const std::vector<SeenExcel>& own);
