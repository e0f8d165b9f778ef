// One render thread with the two events it shares with the thread that controls it. The events
// belong to this object and live until the thread is joined, so neither side ever sets or tests
// an event that is gone; the thread's last act is to signal that it is done.
#pragma once

#include <functional>
#include <thread>

#include "platform/win/Event.h"

class CMsgWindow;

class CRenderThread {
public:
    // The render itself; it tests the stop event (and consumes it) wherever it may stop.
    using Body = std::function<void(CEvent& stop)>;
    // Makes the thread; may throw like std::thread's constructor.
    using Launcher = std::function<std::thread(std::function<void()>)>;

    CRenderThread() = default;
    // Stops and joins a thread still running.
    ~CRenderThread();
    CRenderThread(const CRenderThread&) = delete;
    CRenderThread& operator=(const CRenderThread&) = delete;

    // Runs the body on a new thread; false, with nothing running, when no thread can be made.
    bool Start(Body body, const Launcher& launcher);

    void RequestStop() { m_stop.Set(); }
    // Waits until the body has returned, serving the window's messages and timers meanwhile
    // (null: just waits), then joins the thread.
    void WaitAndJoin(CMsgWindow* window);

    // The ordinary launcher: a std::thread.
    static std::thread Launch(std::function<void()> run) { return std::thread(std::move(run)); }

private:
    CEvent m_stop;
    CEvent m_done{true};
    std::thread m_thread;
};
