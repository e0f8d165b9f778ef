// Narrow-band AMR speech encoder over opencore-amrnb: 20 ms frames of 8 kHz mono 16-bit samples in,
// one storage-format frame (mode byte + payload) out, as 3GP files carry them.
#pragma once

#include <cstdint>
#include <memory>

class AmrNbEncoder {
public:
    static constexpr int kSampleRate = 8000;
    static constexpr int kFrameSamples = 160;
    static constexpr int kMaxFrameBytes = 32;

    // Picks the highest mode not above `bitRate` (4750 .. 12200 bits per second).
    bool Open(int64_t bitRate);
    // Encodes kFrameSamples samples into `out` (at least kMaxFrameBytes); returns the bytes written or -1.
    int Encode(const int16_t* samples, uint8_t* out);
    // Bits per second of the chosen mode.
    int64_t BitRate() const { return m_bitRate; }

private:
    struct StateCloser {
        void operator()(void* state) const;
    };
    std::unique_ptr<void, StateCloser> m_state;
    int m_mode = 0;
    int64_t m_bitRate = 0;
};
