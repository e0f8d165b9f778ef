// An event object in the style the workers and the user-interface thread share: set by one
// thread, tested or waited for by another. Auto-reset by default: a successful wait or test
// consumes the signal, so exactly one waiter sees each Set().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/win/StopEventC.h"
#include "platform/win/WinTypes.h"

// Time-out value that waits without limit.
constexpr DWORD INFINITE = 0xFFFFFFFF;

class CEvent {
public:
    // A manual-reset event stays set until Reset(); waits and tests do not consume it.
    explicit CEvent(bool manualReset = false, bool initiallySet = false);
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();

    // Tests the event without waiting; an auto-reset event is consumed when it was set.
    bool TryConsume();

    // Waits until the event is set or the time-out passes (INFINITE waits for ever); true when
    // the event was seen set. An auto-reset event is consumed by a successful wait.
    bool Wait(uint32_t timeoutMs);

    bool IsManualReset() const { return m_manualReset; }

    // The C view handed to run-time libraries: its test behaves like TryConsume(). The view
    // refers to this object and must not outlive it.
    StopEventC AsStopEventC();

    // Called (under the event's lock, so keep it short and never touch this event) whenever the
    // event is set; lets a thread that waits on something else as well be woken. Returns a key
    // for RemoveListener.
    using Listener = std::function<void()>;
    uint64_t AddListener(Listener listener);
    void RemoveListener(uint64_t key);

private:
    bool ConsumeLocked();

    const bool m_manualReset;
    bool m_set;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::vector<std::pair<uint64_t, Listener>> m_listeners;
    uint64_t m_nextListenerKey = 1;
};
