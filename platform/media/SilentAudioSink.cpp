#include "platform/media/SilentAudioSink.h"

namespace {
constexpr int64_t kNanosPerSecond = 1000000000;
}

void CSilentAudioSink::Advance() {
    const Clock::time_point now = Clock::now();
    if (!m_playing) {
        m_last = now;
        return;
    }
    const int64_t elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_last).count();
    m_last = now;
    if (elapsed <= 0) return;
    const int64_t total = elapsed * kSinkSampleRate + m_remainder;
    const int64_t frames = total / kNanosPerSecond;
    m_remainder = total % kNanosPerSecond;
    const int64_t queued = m_written - m_played;
    if (frames >= queued) {
        // Ran dry: like a device that underruns, the clock owes nothing for the silent gap.
        m_played = m_written;
        m_remainder = 0;
    } else {
        m_played += frames;
    }
}

void CSilentAudioSink::Write(const int16_t* /*samples*/, int64_t frames) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Advance();
    if (frames > 0) m_written += frames;
}

int64_t CSilentAudioSink::QueuedFrames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Advance();
    return m_written - m_played;
}

int64_t CSilentAudioSink::PlayedFrames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Advance();
    return m_played;
}

void CSilentAudioSink::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_written = 0;
    m_played = 0;
    m_remainder = 0;
    m_last = Clock::now();
}

void CSilentAudioSink::Play() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Advance();
    m_playing = true;
}

void CSilentAudioSink::Pause() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Advance();
    m_playing = false;
}
