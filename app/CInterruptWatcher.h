// Turns Ctrl-C (SIGINT) and SIGTERM into a call on an ordinary thread. The signal handler only
// writes one byte to a pipe; a watcher thread reads it and runs the callback, which may do what
// a handler must not (set events, print). The previous handlers come back when the object goes.
#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

class CInterruptWatcher {
public:
    explicit CInterruptWatcher(std::function<void()> onInterrupt);
    ~CInterruptWatcher();
    CInterruptWatcher(const CInterruptWatcher&) = delete;
    CInterruptWatcher& operator=(const CInterruptWatcher&) = delete;

private:
    static void OnSignal(int signal);
    void Watch();

    static std::atomic<int> s_writeFd;

    std::function<void()> m_onInterrupt;
    int m_pipe[2] = {-1, -1};
    bool m_active = false;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
    std::thread m_thread;
};
