#include "excel/seen_excel.h"

namespace {

bool SameProcess(const SeenExcel& a, const SeenExcel& b)
{
    return a.id == b.id && a.created == b.created;
}

}  // namespace

std::vector<SeenExcel> ExcelsOf(const std::vector<SeenExcel>& running, const std::wstring& sid)
{
    std::vector<SeenExcel> theirs;
    for (const SeenExcel& excel : running) {
        if (!sid.empty() && excel.sid == sid) {
            theirs.push_back(excel);
        }
    }
    return theirs;
}

bool MayRunExcel(const std::vector<SeenExcel>& running, const std::wstring& sid)
{
    for (const SeenExcel& excel : running) {
        if (excel.sid.empty() || excel.sid == sid) {
            return true;
        }
    }
    return false;
}

std::vector<SeenExcel> StartedSince(const std::vector<SeenExcel>& running, const std::wstring& sid,
                                    const SeenExcel& thisRun, unsigned long long startedAt)
{
    std::vector<SeenExcel> started;
    for (const SeenExcel& excel : ExcelsOf(running, sid)) {
        const bool otherSession =
            thisRun.sessionKnown && excel.sessionKnown && excel.session != thisRun.session;
        if (!otherSession && excel.created != 0 && excel.created >= startedAt) {
            started.push_back(excel);
        }
    }
    return started;
}

std::vector<SeenExcel> OpenedSince(const std::vector<SeenExcel>& running, const std::wstring& sid,
                                   unsigned long long since, const std::vector<SeenExcel>& own)
{
    std::vector<SeenExcel> opened;
    for (const SeenExcel& excel : ExcelsOf(running, sid)) {
        bool ours = false;
        for (const SeenExcel& mine : own) {
            ours = ours || SameProcess(excel, mine);
        }
        if (!ours && excel.created > since) {
            opened.push_back(excel);
        }
    }
    return opened;
}
