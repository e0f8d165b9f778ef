// A sink that plays through an SDL audio device in queue mode.
#pragma once

#include <atomic>
#include <memory>

#include "platform/media/AudioSink.h"

class CSdlAudioSink : public IAudioSink {
public:
    // Opens the default output device paused; nullptr when there is no usable device (no audio
    // subsystem, no device, or SDL's dummy driver).
    static std::unique_ptr<CSdlAudioSink> Create();
    ~CSdlAudioSink() override;
    CSdlAudioSink(const CSdlAudioSink&) = delete;
    CSdlAudioSink& operator=(const CSdlAudioSink&) = delete;

    void Write(const int16_t* samples, int64_t frames) override;
    int64_t QueuedFrames() override;
    int64_t PlayedFrames() override;
    void Clear() override;
    void Play() override;
    void Pause() override;
    bool IsSilent() const override { return false; }

private:
    explicit CSdlAudioSink(uint32_t device) : m_device(device) {}

    uint32_t m_device;
    // Frames queued since the last Clear.
    std::atomic<int64_t> m_written{0};
};
