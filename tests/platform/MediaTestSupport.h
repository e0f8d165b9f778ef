// Helpers for the tests of the run-time libraries and the player: loading the libraries as the
// program does, making sound files, and asking ffprobe/ffmpeg about what was written, as a real
// client would.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/win/DynamicLibrary.h"

// A library of the program folder with its entry points (not loaded when one is missing).
CDynamicLibrary LoadProgramLibrary(const std::string& fileName, std::initializer_list<const char*> entries);

// The bytes of a 16-bit PCM WAV file: `frames` frames, each channel's sample from sample(frame, channel).
std::string WavBytes(uint32_t rate, uint16_t channels, uint32_t frames,
                     const std::function<int16_t(uint32_t, uint16_t)>& sample);
// A WAV file's bytes holding a sine tone in every channel (none gives a header-only file).
std::string ToneWav(uint32_t rate, uint16_t channels, uint32_t frames, double amplitude = 16383, double hz = 440);
// Writes a tone of `seconds` as a WAV file.
void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds, double hz);

// Runs a shell command and returns what it printed on standard output.
std::string RunCommand(const std::string& command);

// ffprobe's "key=value" lines for one stream ("v:0", "a:0") of a file, frames counted.
std::map<std::string, std::string> ProbeStream(const std::string& file, const std::string& stream);
// ffprobe's "key=value" lines for the container.
std::map<std::string, std::string> ProbeFormat(const std::string& file);
// The loudest sample of the file's audio in dB (ffmpeg's volume detection); -999 when unreadable.
double MaxVolumeDb(const std::string& file);
// Seconds from the first audio packet's start to the last one's end.
double AudioPacketSpan(const std::string& file);
// Error lines ffmpeg prints while decoding the whole file.
std::string DecodeErrors(const std::string& file);
