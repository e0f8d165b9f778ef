#include "platform/av/FfmpegLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <cstdarg>
#include <mutex>

namespace {

std::atomic<FfmpegLogSink> g_sink{nullptr};

// The line handed on last and how often it came again since; guarded by g_repeatMutex.
std::mutex g_repeatMutex;
std::string g_lastLine;
long long g_repeats = 0;

// FFmpeg may write one line in several calls: the pieces gather per thread.
thread_local std::string t_pending;
thread_local int t_printPrefix = 1;

void HandOn(FfmpegLogSink sink, const std::string& line) {
    std::lock_guard<std::mutex> lock(g_repeatMutex);
    if (line == g_lastLine) {
        ++g_repeats;
        return;
    }
    if (g_repeats > 0)
        sink("last message repeated " + (g_repeats == 1 ? std::string("once") : std::to_string(g_repeats) + " times"));
    g_lastLine = line;
    g_repeats = 0;
    sink(line);
}

void LogCallback(void* context, int level, const char* format, va_list args) {
    const FfmpegLogSink sink = g_sink.load();
    if (!sink || level > av_log_get_level()) return;
    char piece[1024];
    av_log_format_line2(context, level, format, args, piece, sizeof piece, &t_printPrefix);
    t_pending += piece;
    for (size_t end = t_pending.find('\n'); end != std::string::npos; end = t_pending.find('\n')) {
        std::string line = t_pending.substr(0, end);
        t_pending.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) HandOn(sink, line);
    }
}

} // namespace

void RouteFfmpegLog(FfmpegLogSink sink) {
    {
        std::lock_guard<std::mutex> lock(g_repeatMutex);
        g_lastLine.clear();
        g_repeats = 0;
    }
    g_sink.store(sink);
    // Notes about stream details mean nothing to a user; errors are kept.
    av_log_set_level(AV_LOG_ERROR);
    av_log_set_callback(sink ? LogCallback : av_log_default_callback);
}
