#include "render/RenderThread.h"

#include <system_error>

#include "platform/win/MsgWindow.h"

namespace {
// How long one wait lasts before it looks again; the thread's end wakes it earlier.
constexpr uint32_t kWaitSliceMs = 50;
} // namespace

CRenderThread::~CRenderThread() {
    if (!m_thread.joinable()) return;
    RequestStop();
    m_thread.join();
}

bool CRenderThread::Start(Body body, const Launcher& launcher) {
    if (m_thread.joinable() || !body || !launcher) return false;
    try {
        m_thread = launcher([this, body = std::move(body)] {
            body(m_stop);
            m_done.Set();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return m_thread.joinable();
}

void CRenderThread::WaitAndJoin(CMsgWindow* window) {
    if (!m_thread.joinable()) return;
    while (!WaitWhilePumping(m_done, window, kWaitSliceMs)) {
    }
    m_thread.join();
}
