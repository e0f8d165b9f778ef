#include "tests/support/WavFile.h"

#include <cmath>
#include <utility>

#include "tests/support/TempDir.h"

std::string WavBytes(uint32_t rate, uint16_t channels, uint32_t frames,
                     const std::function<int16_t(uint32_t, uint16_t)>& sample) {
    std::string wav = "RIFF";
    auto put = [&wav](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) wav += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const uint32_t dataBytes = frames * channels * 2u;
    put(36 + dataBytes, 4);
    wav += "WAVEfmt ";
    // Format size, PCM, channels, rate, bytes per second, block align, bits.
    for (auto [value, bytes] : {std::pair{16u, 4}, {1u, 2}, {uint32_t{channels}, 2}, {rate, 4},
                                {rate * channels * 2u, 4}, {channels * 2u, 2}, {16u, 2}})
        put(value, bytes);
    wav += "data";
    put(dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c) put(static_cast<uint16_t>(sample(i, c)), 2);
    return wav;
}

std::string ToneWav(uint32_t rate, uint16_t channels, uint32_t frames, double amplitude, double hz) {
    return WavBytes(rate, channels, frames, [&](uint32_t i, uint16_t) {
        return static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
    });
}

void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds, double hz) {
    WriteFileBytes(path, ToneWav(static_cast<uint32_t>(sampleRate), static_cast<uint16_t>(channels),
                                 static_cast<uint32_t>(seconds * sampleRate), 16383, hz));
}
