// Windows and messages: a window handle is a pointer to a CMsgWindow, whose thread-safe queue
// any thread may post to. The thread that owns the window serves the queue with a pump, which
// hands each message (and each due timer as WM_TIMER) to the window's handler. Tests read what
// was posted with TakePosted() instead of pumping.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win/Event.h"
#include "platform/win/WinTypes.h"

struct Msg {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The window must outlive every thread that may post or send to it.
class CMsgWindow {
public:
    using Handler = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

    CMsgWindow() = default;
    explicit CMsgWindow(Handler handler);
    ~CMsgWindow();
    CMsgWindow(const CMsgWindow&) = delete;
    CMsgWindow& operator=(const CMsgWindow&) = delete;

    // May be changed at any time; a handler already running finishes with the old one.
    void SetHandler(Handler handler);
    bool HasHandler() const;

    // Appends to the queue; messages from one thread keep their order.
    void Post(UINT msg, WPARAM wParam, LPARAM lParam);

    // With a handler, calls it at once on the calling thread and returns its result; the handler
    // therefore may run on a worker thread while the owner pumps, and must be written for that.
    // Without a handler the message is queued and the result is 0.
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam);

    // Serves one posted message, or else one due timer, waiting up to timeoutMs (INFINITE waits
    // for ever). Returns true when something was served; false when the time-out passed or
    // Wake() was called, so callers loop on a condition of their own.
    bool PumpOne(uint32_t timeoutMs);

    // Serves, without waiting, the messages waiting now and the timers due now. What the handler
    // posts meanwhile waits for the next pump, so a handler that re-posts cannot loop here.
    void PumpPending();

    // Removes and returns the posted messages not yet served, oldest first.
    std::vector<Msg> TakePosted();
    size_t PendingCount() const;

    // A timer delivers WM_TIMER (wParam = id, lParam = 0) through the pump every periodMs at
    // the earliest; a late pump gets one WM_TIMER, not a backlog. Setting an existing id
    // restarts it with the new period. KillTimer returns false for an unknown id.
    void SetTimer(WPARAM id, uint32_t periodMs);
    bool KillTimer(WPARAM id);

    // Makes a waiting PumpOne return false (at once, or on its next call).
    void Wake();

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        std::chrono::milliseconds period;
        Clock::time_point due;
    };

    friend bool WaitWhilePumping(CEvent& event, CMsgWindow* window, uint32_t timeoutMs);

    // Takes the id of a due timer and schedules its next firing; false when none is due.
    bool TakeDueTimerLocked(Clock::time_point now, WPARAM& id);
    void Dispatch(const Msg& msg);
    void ClearWake();

    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<Msg> m_queue;
    std::map<WPARAM, Timer> m_timers;
    std::shared_ptr<const Handler> m_handler;
    bool m_wake = false;
};

using HWND = CMsgWindow*;

// Appends to the window's queue; FALSE for a null window.
BOOL PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// CMsgWindow::Send; 0 for a null window.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Waits for the event while serving the window's messages and timers on the calling thread, so
// that a worker's messages to this thread's windows are served while it is waited for. True
// when the event was seen set (and consumed, for an auto-reset event), false on time-out. A
// null window waits without pumping.
bool WaitWhilePumping(CEvent& event, CMsgWindow* window, uint32_t timeoutMs);
