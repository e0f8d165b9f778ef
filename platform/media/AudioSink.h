// Where the player's decoded samples go: a sound device or a silent clock. Every sink takes the
// same fixed format and counts what it has played, so positions and track ends do not depend on
// whether a device exists. Sinks are called from the player's worker and from the caller's thread
// alike, so every method is thread-safe.
#pragma once

#include <cstdint>

// The one format the player hands to a sink: interleaved signed 16-bit stereo at 44.1 kHz.
constexpr int32_t kSinkSampleRate = 44100;
constexpr int32_t kSinkChannels = 2;

class IAudioSink {
public:
    virtual ~IAudioSink() = default;

    // Appends `frames` frames (kSinkChannels samples each) to the play queue.
    virtual void Write(const int16_t* samples, int64_t frames) = 0;
    // Frames written but not played yet.
    virtual int64_t QueuedFrames() = 0;
    // Frames played since the last Clear.
    virtual int64_t PlayedFrames() = 0;
    // Drops the queue and restarts the played count at 0.
    virtual void Clear() = 0;
    // Starts or resumes consuming the queue.
    virtual void Play() = 0;
    // Stops consuming; the queue and the played count stay.
    virtual void Pause() = 0;
    // True when no device is heard (the clock-paced stand-in).
    virtual bool IsSilent() const = 0;
};
