// Finds the message boxes that any process on the desktop shows, notes what
// they say and dismisses them, so that tests never wait on a box.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct RecordedBox {
    std::string caption;
    std::string text;
    bool okOnly = false;       // one button, OK
    bool retryCancel = false;  // two buttons, Retry and Cancel
    bool errorIcon = false;    // the stop-sign icon
    bool warningIcon = false;  // the exclamation-mark icon
    int pressed = 0;           // the button chosen to dismiss it
};

// Chooses the button that dismisses a box (IDOK, IDRETRY, IDCANCEL...). It
// runs on the recorder's thread, so it may take its time, for instance to
// change what the box asks about before answering.
using BoxAnswer = std::function<int(const RecordedBox&)>;

class BoxRecorder {
public:
    // With echoToStderr, each box is also written to standard error as
    // "box[<caption>]: <text>" before it is dismissed: a death test's child
    // process has no other way to tell its parent what it showed.
    explicit BoxRecorder(bool echoToStderr = false);
    // Answers each box with answer's choice; OK, or Cancel where there is
    // no OK, without one.
    explicit BoxRecorder(BoxAnswer answer);
    ~BoxRecorder();

    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<RecordedBox> Boxes() const;
    std::vector<std::string> Texts() const;  // "<caption>: <text>" each
    void Clear();

private:
    void Watch();
    static BOOL CALLBACK VisitWindow(HWND window, LPARAM self);
    void Handle(HWND box);

    const bool m_echoToStderr = false;
    const BoxAnswer m_answer;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<RecordedBox> m_boxes;
    std::set<HWND> m_dismissed;
    std::thread m_thread;
};

// Escapes text so that GoogleTest's simple regular expressions match it
// literally.
std::string LiteralRegex(const std::string& text);
