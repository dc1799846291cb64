#include "box_recorder.h"

#include <cctype>
#include <cstdio>
#include <iterator>
#include <utility>

namespace {

constexpr int kBoxTextControlId = 0xFFFF;
constexpr int kBoxIconControlId = 0x0440;
constexpr DWORD kPollIntervalMs = 15;

bool IsMessageBox(HWND window)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window);
}

std::string WindowText(HWND window)
{
    if (window == nullptr) {
        return {};
    }
    const int length = GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(window, &text[0], length + 1));
    return text;
}

bool HasOnlyOkButton(HWND box)
{
    const int otherButtons[] = {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};
    for (int id : otherButtons) {
        if (GetDlgItem(box, id) != nullptr) {
            return false;
        }
    }
    return GetDlgItem(box, IDOK) != nullptr;
}

bool HasOnlyRetryAndCancel(HWND box)
{
    const int otherButtons[] = {IDOK, IDABORT, IDIGNORE, IDYES, IDNO};
    for (int id : otherButtons) {
        if (GetDlgItem(box, id) != nullptr) {
            return false;
        }
    }
    return GetDlgItem(box, IDRETRY) != nullptr && GetDlgItem(box, IDCANCEL) != nullptr;
}

bool ShowsIcon(HWND box, LPCSTR icon)
{
    HWND iconControl = GetDlgItem(box, kBoxIconControlId);
    if (iconControl == nullptr) {
        return false;
    }
    const auto shown = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    return shown != nullptr && shown == LoadIconA(nullptr, icon);
}

int DefaultAnswer(HWND box)
{
    return GetDlgItem(box, IDOK) != nullptr ? IDOK : IDCANCEL;
}

}  // namespace

BoxRecorder::BoxRecorder(bool echoToStderr)
    : m_echoToStderr(echoToStderr), m_thread(&BoxRecorder::Watch, this)
{}

BoxRecorder::BoxRecorder(BoxAnswer answer)
    : m_answer(std::move(answer)), m_thread(&BoxRecorder::Watch, this)
{}

BoxRecorder::~BoxRecorder()
{
    m_stop = true;
    m_thread.join();
}

std::vector<RecordedBox> BoxRecorder::Boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> BoxRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const RecordedBox& box : Boxes()) {
        texts.push_back(box.caption + ": " + box.text);
    }
    return texts;
}

void BoxRecorder::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.clear();
}

void BoxRecorder::Watch()
{
    while (!m_stop) {
        EnumWindows(&BoxRecorder::VisitWindow, reinterpret_cast<LPARAM>(this));
        // Forget boxes that are gone, so a reused handle is seen afresh.
        for (auto it = m_dismissed.begin(); it != m_dismissed.end();) {
            it = IsWindow(*it) ? std::next(it) : m_dismissed.erase(it);
        }
        Sleep(kPollIntervalMs);
    }
}

BOOL CALLBACK BoxRecorder::VisitWindow(HWND window, LPARAM self)
{
    if (IsMessageBox(window)) {
        reinterpret_cast<BoxRecorder*>(self)->Handle(window);
    }
    return TRUE;
}

void BoxRecorder::Handle(HWND box)
{
    if (m_dismissed.count(box) != 0) {
        return;
    }
    RecordedBox seen;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, kBoxTextControlId));
    seen.okOnly = HasOnlyOkButton(box);
    seen.retryCancel = HasOnlyRetryAndCancel(box);
    seen.errorIcon = ShowsIcon(box, IDI_HAND);
    seen.warningIcon = ShowsIcon(box, IDI_EXCLAMATION);
    seen.pressed = m_answer ? m_answer(seen) : DefaultAnswer(box);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_boxes.push_back(seen);
    }
    if (m_echoToStderr) {
        std::fprintf(stderr, "box[%s]: %s\n", seen.caption.c_str(), seen.text.c_str());
        std::fflush(stderr);
    }
    m_dismissed.insert(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(seen.pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, seen.pressed)));
}

std::string LiteralRegex(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        if (std::ispunct(static_cast<unsigned char>(c))) {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}
