#include "tests/platform/MediaTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

CDynamicLibrary LoadProgramLibrary(const std::string& fileName, std::initializer_list<const char*> entries) {
    CDynamicLibrary library;
    library.LoadWithEntries(std::string(PICREEL_PROGRAM_DIR) + fileName, entries);
    return library;
}

double MaxVolumeDb(const std::string& file) {
    const std::string out =
        RunCommand("ffmpeg -nostdin -hide_banner -i " + ShellQuote(file) + " -map 0:a:0 -af volumedetect -f null - 2>&1").out;
    const auto pos = out.find("max_volume:");
    if (pos == std::string::npos) return -999.0;
    return std::atof(out.c_str() + pos + 11);
}

double AudioPacketSpan(const std::string& file) {
    const std::string out = RunCommand("ffprobe -v error -select_streams a:0 -show_entries packet=pts_time,duration_time "
                                       "-of csv=p=0 " + ShellQuote(file)).out;
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
    return RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(file) + " -f null - 2>&1").out;
}
