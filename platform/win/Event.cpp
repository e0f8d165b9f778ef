#include "platform/win/Event.h"

#include <algorithm>
#include <chrono>

CEvent::CEvent(bool manualReset, bool initiallySet) : m_manualReset(manualReset), m_set(initiallySet) {}

CEvent::~CEvent() = default;

void CEvent::Set() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = true;
    // Every waiter re-checks under the lock; for an auto-reset event only one of them wins.
    m_cond.notify_all();
    for (auto& entry : m_listeners) entry.second();
}

void CEvent::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool CEvent::ConsumeLocked() {
    if (!m_set) return false;
    if (!m_manualReset) m_set = false;
    return true;
}

bool CEvent::TryConsume() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return ConsumeLocked();
}

bool CEvent::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (timeoutMs == INFINITE) {
        m_cond.wait(lock, [this] { return m_set; });
    } else if (!m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set; })) {
        return false;
    }
    return ConsumeLocked();
}

namespace {
int TestStopEvent(void* context) { return static_cast<CEvent*>(context)->TryConsume() ? 1 : 0; }
} // namespace

StopEventC CEvent::AsStopEventC() {
    StopEventC view;
    view.context = this;
    view.test = &TestStopEvent;
    return view;
}

uint64_t CEvent::AddListener(Listener listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t key = m_nextListenerKey++;
    m_listeners.emplace_back(key, std::move(listener));
    return key;
}

void CEvent::RemoveListener(uint64_t key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listeners.erase(std::remove_if(m_listeners.begin(), m_listeners.end(),
                                     [key](const auto& entry) { return entry.first == key; }),
                      m_listeners.end());
}
