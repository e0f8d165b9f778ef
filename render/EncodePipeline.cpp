#include "render/EncodePipeline.h"

EncodePipeline::EncodePipeline(EncOneFrameFn entry) : m_pfnEntry(entry), m_thread([this] { Run(); }) {}

EncodePipeline::~EncodePipeline() {
    Collect();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    m_cond.notify_all();
    m_thread.join();
}

void EncodePipeline::Submit(const uint8_t* yuv) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bInFlight) return;
        m_pFrame = yuv;
        m_bInFlight = true;
        m_bDone = false;
    }
    m_cond.notify_all();
}

std::optional<int32_t> EncodePipeline::Collect() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_bInFlight) return std::nullopt;
    m_cond.wait(lock, [this] { return m_bDone; });
    m_bInFlight = false;
    return m_nResult;
}

void EncodePipeline::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_cond.wait(lock, [this] { return m_bQuit || m_pFrame != nullptr; });
        if (m_pFrame == nullptr) return; // quit with nothing left to encode
        const uint8_t* frame = m_pFrame;
        m_pFrame = nullptr;
        lock.unlock();
        const int32_t result = m_pfnEntry ? m_pfnEntry(frame) : 1;
        lock.lock();
        m_nResult = result;
        m_bDone = true;
        m_cond.notify_all();
    }
}
