// Finds the message boxes that any process on the desktop shows, notes what
// they say and dismisses them, so that tests never wait on a box.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct RecordedBox {
    std::string caption;
    std::string text;
    bool okOnly = false;     // one button, OK
    bool errorIcon = false;  // the stop-sign icon
};

class BoxRecorder {
public:
    // With echoToStderr, each box is also written to standard error as
    // "box[<caption>]: <text>" before it is dismissed: a death test's child
    // process has no other way to tell its parent what it showed.
    explicit BoxRecorder(bool echoToStderr = false);
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

    const bool m_echoToStderr;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<RecordedBox> m_boxes;
    std::set<HWND> m_dismissed;
    std::thread m_thread;
};

// Escapes text so that GoogleTest's simple regular expressions match it
// literally.
std::string LiteralRegex(const std::string& text);
