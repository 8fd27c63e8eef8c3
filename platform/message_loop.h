#pragma once
// The program's own message loop: every message taken from the queue passes
// the application hook first, then the dialog keys of its form, then
// TranslateMessage and DispatchMessage. Modal loops and the pump of a long
// run go through the same steps.
#include <windows.h>

#include <chrono>
#include <functional>

using ApplicationHook = std::function<void(MSG&)>;

void SetApplicationHook(ApplicationHook hook);
void CallApplicationHook(MSG& msg);

// An Enter key-down that the keyboard repeats while the key is held (bit 30:
// the key was down already). Every loop drops it, message boxes' included:
// a held Enter clicks once, and cannot go on to answer the question that
// its click has opened.
bool IsRepeatedEnter(const MSG& msg);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();
// Handles every message waiting in the queue, then returns. A WM_QUIT found
// there is posted again so that the main loop still ends.
void ProcessMessages();
// Input, a posted or a sent message waits in this thread's queue.
bool MessagesWaiting();
// Runs the loop until done is set or the window is gone.
void RunModalLoop(HWND window, const bool& done);

// The pump of a long operation, called between two of its steps. A queue
// check costs Wine tens of microseconds, more than many a step, so the queue
// is looked at only when the interval has passed since the last look; a
// steady clock read costs nanoseconds. The first call always pumps.
class TimedPump {
public:
    explicit TimedPump(std::chrono::milliseconds interval = std::chrono::milliseconds(10))
        : interval_(interval) {}
    void WhenDue() { WhenDue(interval_); }
    // Before a call that may hold the thread for long (the first read of a
    // large folder): pumped unless it was just now.
    void WhenDue(std::chrono::milliseconds interval) {
        const auto now = Clock::now();
        if (pumped_ && now - last_ < interval) return;
        Now(now);
    }
    void Now() { Now(Clock::now()); }
    // WhenDue would handle input now.
    bool Due() const { return !pumped_ || Clock::now() - last_ >= interval_; }

private:
    using Clock = std::chrono::steady_clock;
    void Now(Clock::time_point now) {
        ProcessMessages();
        last_ = now;
        pumped_ = true;
    }
    std::chrono::milliseconds interval_;
    Clock::time_point last_{};
    bool pumped_ = false;
};
