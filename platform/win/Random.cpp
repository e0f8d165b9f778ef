#include "platform/win/Random.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace {
std::atomic<uint32_t> g_state{1};
std::once_flag g_seeded;
} // namespace

int Rand() {
    uint32_t old = g_state.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = old * 214013u + 2531011u;
    } while (!g_state.compare_exchange_weak(old, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFF);
}

void SRand(uint32_t seed) { g_state.store(seed, std::memory_order_relaxed); }

void SeedRandomFromTimeOnce() {
    std::call_once(g_seeded, [] {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        SRand(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count()));
    });
}
