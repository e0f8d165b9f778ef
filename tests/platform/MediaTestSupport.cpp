#include "tests/platform/MediaTestSupport.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

ProgramLibrary::ProgramLibrary(const std::string& fileName) {
    const std::string path = std::string(PICREEL_PROGRAM_DIR) + fileName;
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* e = dlerror();
        m_error = e ? e : "dlopen failed";
    }
}

ProgramLibrary::~ProgramLibrary() {
    if (m_handle) dlclose(m_handle);
}

void* ProgramLibrary::Symbol(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

namespace {

void PutLe(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

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

void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds, double hz) {
    const uint32_t frames = static_cast<uint32_t>(seconds * sampleRate);
    const uint32_t dataBytes = frames * static_cast<uint32_t>(channels) * 2;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("RIFF", 4);
    PutLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, static_cast<uint32_t>(channels), 2);
    PutLe(out, static_cast<uint32_t>(sampleRate), 4);
    PutLe(out, static_cast<uint32_t>(sampleRate * channels * 2), 4);
    PutLe(out, static_cast<uint32_t>(channels * 2), 2);
    PutLe(out, 16, 2);
    out.write("data", 4);
    PutLe(out, dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2.0 * 3.14159265358979 * hz * i / sampleRate);
        const auto sample = static_cast<int16_t>(std::lround(v * 32767.0));
        for (int c = 0; c < channels; ++c) PutLe(out, static_cast<uint16_t>(sample), 2);
    }
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
