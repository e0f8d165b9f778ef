#include "app/CTerminalProgress.h"

#include <unistd.h>

#include <algorithm>

#include "platform/win/Tick.h"

namespace {
// Redraws closer together than this are skipped (ten a second at most).
constexpr uint32_t kRedrawIntervalMs = 100;
constexpr int kBarWidth = 30;
} // namespace

CTerminalProgress::CTerminalProgress(FILE* out, bool isTerminal, std::function<uint32_t()> tickMs)
    : m_out(out), m_isTerminal(isTerminal), m_tickMs(tickMs ? std::move(tickMs) : [] { return static_cast<uint32_t>(GetTickCount()); }) {}

CTerminalProgress CTerminalProgress::ForStderr() {
    return CTerminalProgress(stderr, ::isatty(STDERR_FILENO) == 1);
}

void CTerminalProgress::Start(const std::string& label) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_label = label;
    m_started = true;
    m_pos = 0;
    m_startTick = m_tickMs();
    m_drawn = false;
    m_lastTenth = -1;
    DrawLocked(m_startTick);
}

void CTerminalProgress::SetPos(int32_t position) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started)
        return;
    m_pos = std::clamp(position, 0, kRange);
    const uint32_t now = m_tickMs();
    if (m_isTerminal) {
        if (m_drawn && now - m_lastDrawTick < kRedrawIntervalMs)
            return;
    } else {
        const int32_t tenth = static_cast<int32_t>(static_cast<int64_t>(m_pos) * 10 / kRange);
        if (tenth <= m_lastTenth)
            return;
    }
    DrawLocked(now);
}

void CTerminalProgress::Finish() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started)
        return;
    const uint32_t now = m_tickMs();
    if (m_isTerminal) {
        DrawLocked(now);
        std::fputc('\n', m_out);
    } else if (static_cast<int64_t>(m_pos) * 10 / kRange > m_lastTenth) {
        DrawLocked(now);
    }
    std::fflush(m_out);
    m_started = false;
}

std::string CTerminalProgress::FormatDuration(uint32_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    return text;
}

int64_t CTerminalProgress::RemainingSeconds(uint32_t elapsedMs, int32_t position) {
    position = std::clamp(position, 0, kRange);
    if (position == 0)
        return -1;
    const int64_t remainingMs = static_cast<int64_t>(elapsedMs) * (kRange - position) / position;
    return (remainingMs + 999) / 1000;
}

std::string CTerminalProgress::BuildLine(int32_t position, uint32_t elapsedMs) const {
    position = std::clamp(position, 0, kRange);
    const int64_t percent = static_cast<int64_t>(position) * 100 / kRange;
    std::string line = m_label.empty() ? std::string() : m_label + " ";
    if (m_isTerminal) {
        const int filled = static_cast<int>(static_cast<int64_t>(position) * kBarWidth / kRange);
        line += '[';
        line.append(static_cast<size_t>(filled), '#');
        line.append(static_cast<size_t>(kBarWidth - filled), '-');
        line += "] ";
    }
    char text[96];
    const int64_t remaining = RemainingSeconds(elapsedMs, position);
    std::snprintf(text, sizeof text, "%3lld%%  elapsed %s  remaining %s", static_cast<long long>(percent),
                  FormatDuration(elapsedMs / 1000).c_str(),
                  remaining < 0 ? "--:--" : FormatDuration(static_cast<uint32_t>(std::min<int64_t>(remaining, UINT32_MAX))).c_str());
    return line + text;
}

void CTerminalProgress::DrawLocked(uint32_t now) {
    const std::string line = BuildLine(m_pos, now - m_startTick);
    if (m_isTerminal) {
        // Back to the line start, draw, clear what an older, longer line left.
        std::fprintf(m_out, "\r%s\x1b[K", line.c_str());
    } else {
        std::fprintf(m_out, "%s\n", line.c_str());
        m_lastTenth = static_cast<int32_t>(static_cast<int64_t>(m_pos) * 10 / kRange);
    }
    std::fflush(m_out);
    m_lastDrawTick = now;
    m_drawn = true;
}
