// Sound fixtures: 16-bit PCM WAV files made in memory, written field by field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The bytes of a 16-bit PCM WAV file: `frames` frames, each channel's sample from sample(frame, channel).
std::string WavBytes(uint32_t rate, uint16_t channels, uint32_t frames,
                     const std::function<int16_t(uint32_t, uint16_t)>& sample);
// A WAV file's bytes holding a sine tone in every channel (none gives a header-only file).
std::string ToneWav(uint32_t rate, uint16_t channels, uint32_t frames, double amplitude = 16383, double hz = 440);
// Writes a tone of `seconds` as a WAV file.
void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds, double hz);
