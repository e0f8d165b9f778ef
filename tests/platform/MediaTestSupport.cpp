#include "tests/platform/MediaTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <sstream>
#include <string>

#include "tests/support/TempDir.h"

CDynamicLibrary LoadProgramLibrary(const std::string& fileName, std::initializer_list<const char*> entries) {
    CDynamicLibrary library;
    library.LoadWithEntries(std::string(PICREEL_PROGRAM_DIR) + fileName, entries);
    return library;
}

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::map<std::string, std::string> ParseKeyValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && !values.count(line.substr(0, eq))) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

}  // namespace

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

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::map<std::string, std::string> ProbeStream(const std::string& file, const std::string& stream) {
    return ParseKeyValues(RunCommand("ffprobe -v error -count_frames -select_streams " + stream +
                                     " -show_entries stream -of default=noprint_wrappers=1 " + Quoted(file)));
}

std::map<std::string, std::string> ProbeFormat(const std::string& file) {
    return ParseKeyValues(
        RunCommand("ffprobe -v error -show_entries format -of default=noprint_wrappers=1 " + Quoted(file)));
}

double MaxVolumeDb(const std::string& file) {
    const std::string out =
        RunCommand("ffmpeg -nostdin -hide_banner -i " + Quoted(file) + " -map 0:a:0 -af volumedetect -f null - 2>&1");
    const auto pos = out.find("max_volume:");
    if (pos == std::string::npos) return -999.0;
    return std::atof(out.c_str() + pos + 11);
}

double AudioPacketSpan(const std::string& file) {
    const std::string out = RunCommand("ffprobe -v error -select_streams a:0 -show_entries packet=pts_time,duration_time "
                                       "-of csv=p=0 " + Quoted(file));
    std::istringstream in(out);
    std::string line;
    double first = 0.0, end = 0.0;
    bool any = false;
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        const double pts = std::atof(line.substr(0, comma).c_str());
        const double dur = std::atof(line.substr(comma + 1).c_str());
        if (!any) first = pts;
        any = true;
        end = std::max(end, pts + dur);
    }
    return any ? end - first : 0.0;
}

std::string DecodeErrors(const std::string& file) {
    return RunCommand("ffmpeg -nostdin -v error -i " + Quoted(file) + " -f null - 2>&1");
}
