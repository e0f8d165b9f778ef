#include "platform/win/MsgWindow.h"

#include <algorithm>

CMsgWindow::CMsgWindow(Handler handler) { SetHandler(std::move(handler)); }

CMsgWindow::~CMsgWindow() = default;

void CMsgWindow::SetHandler(Handler handler) {
    auto shared = handler ? std::make_shared<const Handler>(std::move(handler)) : nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = std::move(shared);
}

bool CMsgWindow::HasHandler() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handler != nullptr;
}

void CMsgWindow::Post(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back({msg, wParam, lParam});
    m_cond.notify_all();
}

LRESULT CMsgWindow::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<const Handler> handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        handler = m_handler;
        if (!handler) {
            m_queue.push_back({msg, wParam, lParam});
            m_cond.notify_all();
            return 0;
        }
    }
    return (*handler)(msg, wParam, lParam);
}

void CMsgWindow::Dispatch(const Msg& msg) {
    std::shared_ptr<const Handler> handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        handler = m_handler;
    }
    // A message served while no handler is set is dropped, as a window without a procedure would.
    if (handler) (*handler)(msg.msg, msg.wParam, msg.lParam);
}

bool CMsgWindow::TakeDueTimerLocked(Clock::time_point now, WPARAM& id) {
    auto due = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second.due <= now && (due == m_timers.end() || it->second.due < due->second.due)) due = it;
    }
    if (due == m_timers.end()) return false;
    id = due->first;
    due->second.due = now + due->second.period;
    return true;
}

bool CMsgWindow::PumpOne(uint32_t timeoutMs) {
    const bool forever = timeoutMs == INFINITE;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_queue.empty()) {
            const Msg msg = m_queue.front();
            m_queue.pop_front();
            lock.unlock();
            Dispatch(msg);
            return true;
        }
        const Clock::time_point now = Clock::now();
        WPARAM id = 0;
        if (TakeDueTimerLocked(now, id)) {
            lock.unlock();
            Dispatch({WM_TIMER, id, 0});
            return true;
        }
        if (m_wake) {
            m_wake = false;
            return false;
        }
        if (!forever && now >= deadline) return false;

        Clock::time_point until = forever ? Clock::time_point::max() : deadline;
        for (const auto& timer : m_timers) until = std::min(until, timer.second.due);
        if (until == Clock::time_point::max())
            m_cond.wait(lock);
        else
            m_cond.wait_until(lock, until);
    }
}

void CMsgWindow::PumpPending() {
    size_t count;
    Clock::time_point now;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        count = m_queue.size();
        now = Clock::now();
    }
    for (size_t i = 0; i < count; ++i) {
        Msg msg;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty()) break; // taken meanwhile by TakePosted
            msg = m_queue.front();
            m_queue.pop_front();
        }
        Dispatch(msg);
    }
    // Each timer due at the start fires once; one re-set by its own handler waits for later.
    for (;;) {
        WPARAM id = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!TakeDueTimerLocked(now, id)) break;
        }
        Dispatch({WM_TIMER, id, 0});
    }
}

std::vector<Msg> CMsgWindow::TakePosted() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Msg> posted(m_queue.begin(), m_queue.end());
    m_queue.clear();
    return posted;
}

size_t CMsgWindow::PendingCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
}

void CMsgWindow::SetTimer(WPARAM id, uint32_t periodMs) {
    const auto period = std::chrono::milliseconds(std::max<uint32_t>(periodMs, 1));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timers[id] = Timer{period, Clock::now() + period};
    m_cond.notify_all();
}

bool CMsgWindow::KillTimer(WPARAM id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timers.erase(id) != 0;
}

void CMsgWindow::Wake() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake = true;
    m_cond.notify_all();
}

void CMsgWindow::ClearWake() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake = false;
}

BOOL PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!window) return FALSE;
    window->Post(msg, wParam, lParam);
    return TRUE;
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return window ? window->Send(msg, wParam, lParam) : 0;
}

namespace {
// Keeps the window woken whenever the event is set, for as long as the wait lasts.
class WakeOnSet {
public:
    WakeOnSet(CEvent& event, CMsgWindow& window)
        : m_event(event), m_key(event.AddListener([&window] { window.Wake(); })) {}
    ~WakeOnSet() { m_event.RemoveListener(m_key); }
    WakeOnSet(const WakeOnSet&) = delete;
    WakeOnSet& operator=(const WakeOnSet&) = delete;

private:
    CEvent& m_event;
    uint64_t m_key;
};
} // namespace

bool WaitWhilePumping(CEvent& event, CMsgWindow* window, uint32_t timeoutMs) {
    if (!window) return event.Wait(timeoutMs);
    using Clock = std::chrono::steady_clock;
    const bool forever = timeoutMs == INFINITE;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    bool seen = false;
    {
        WakeOnSet wake(event, *window);
        for (;;) {
            if (event.TryConsume()) {
                seen = true;
                break;
            }
            uint32_t slice = INFINITE;
            if (!forever) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0) break;
                slice = static_cast<uint32_t>(left.count());
            }
            window->PumpOne(slice);
        }
    }
    // A wake left over from this wait must not cut the owner's next pump short. A wait that
    // encloses this one re-tests its own event after this handler returns, so it loses nothing.
    window->ClearWake();
    return seen;
}
