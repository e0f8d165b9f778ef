// A sink that plays nothing but consumes its queue at real-time speed by the monotonic clock, so
// that a machine without a sound device sees the same positions and track ends.
#pragma once

#include <chrono>
#include <mutex>

#include "platform/media/AudioSink.h"

class CSilentAudioSink : public IAudioSink {
public:
    CSilentAudioSink() = default;

    void Write(const int16_t* samples, int64_t frames) override;
    int64_t QueuedFrames() override;
    int64_t PlayedFrames() override;
    void Clear() override;
    void Play() override;
    void Pause() override;
    bool IsSilent() const override { return true; }

private:
    using Clock = std::chrono::steady_clock;

    // Moves the played count on by the time elapsed since the last look; needs m_mutex.
    void Advance();

    std::mutex m_mutex;
    bool m_playing = false;
    int64_t m_written = 0;
    int64_t m_played = 0;
    // Nanoseconds x frame rate not yet worth a whole frame, so no time is lost between looks.
    int64_t m_remainder = 0;
    Clock::time_point m_last{};
};
